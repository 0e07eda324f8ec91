#include "listcolumnwidths.h"

#include "common/datetimetext.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <algorithm>

namespace {

QChar widestDigit(const QFontMetrics &metrics) {
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    return widest;
}

const QString notSet = QStringLiteral("-");

} // namespace

QString widestDateTimeText(const QFontMetrics &metrics) {
    const QChar digit = widestDigit(metrics);
    QString widest;
    int widestWidth = -1;
    for (int month = 1; month <= 12; ++month) {
        // Seven days in a row give every weekday name; two-digit days and hours, and a time
        // before and after noon for the formats that name the half of the day.
        for (int day = 22; day <= 28; ++day) {
            for (int hour : {10, 22}) {
                QString text =
                    dateTimeText(QDateTime(QDate(2026, month, day), QTime(hour, 58, 58)));
                for (QChar &character : text)
                    if (character >= u'0' && character <= u'9')
                        character = digit;
                const int width = metrics.horizontalAdvance(text);
                if (width > widestWidth) {
                    widestWidth = width;
                    widest = text;
                }
            }
        }
    }
    return widest;
}

int cellWidthFor(const QAbstractItemView &view, const QString &text) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = view.textElideMode();
    const int width =
        view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &view).width();
    const auto *table = qobject_cast<const QTableView *>(&view);
    return table && table->showGrid() ? width + 1 : width;
}

ListColumnWidths::ListColumnWidths(QTableView &view, QList<int> givenWidths)
    : QObject(&view)
    , m_view(view)
    , m_given(std::move(givenWidths))
    , m_operator(m_given.size(), 0) {
    connect(view.horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { noteResize(column, width); });
    view.installEventFilter(this);
    applyWidths();
}

int ListColumnWidths::programWidth(int column) const {
    int width = std::max(m_given.value(column), m_view.horizontalHeader()->sectionSizeHint(column));
    if (column == 0)
        width = std::max(width, cellWidthFor(m_view, widestDateTimeText(m_view.fontMetrics())));
    return width;
}

void ListColumnWidths::applyWidths() {
    QHeaderView *header = m_view.horizontalHeader();
    m_applying = true;
    for (int column = 0; column < m_given.size(); ++column) {
        const int width = m_operator.at(column) > 0 ? m_operator.at(column) : programWidth(column);
        header->resizeSection(column, width);
    }
    m_applying = false;
}

void ListColumnWidths::noteResize(int column, int width) {
    if (!m_applying && column >= 0 && column < m_operator.size())
        m_operator[column] = width;
}

void ListColumnWidths::remeasure() {
    m_remeasurePending = false;
    // The headings are asked for again, in the language now in use, before they are measured.
    m_view.horizontalHeader()->headerDataChanged(Qt::Horizontal, 0, int(m_given.size()) - 1);
    applyWidths();
}

QString ListColumnWidths::operatorWidths() const {
    if (std::all_of(m_operator.begin(), m_operator.end(), [](int width) { return width <= 0; }))
        return QString();
    QStringList entries;
    for (int width : m_operator)
        entries.append(width > 0 ? QString::number(width) : notSet);
    return entries.join(QLatin1Char(' '));
}

void ListColumnWidths::setOperatorWidths(const QString &text) {
    const QStringList entries = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int column = 0; column < m_operator.size(); ++column) {
        bool ok = false;
        const int width = entries.value(column).toInt(&ok);
        m_operator[column] = ok && width > 0 ? width : 0;
    }
    applyWidths();
}

bool ListColumnWidths::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (watched == &m_view && (type == QEvent::LanguageChange || type == QEvent::FontChange) &&
        !m_remeasurePending) {
        // Measured once the change has reached every part of the view (the header takes a new
        // font after the view), and once for a run of changes.
        m_remeasurePending = true;
        QMetaObject::invokeMethod(this, &ListColumnWidths::remeasure, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
