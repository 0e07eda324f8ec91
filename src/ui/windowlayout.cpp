#include "windowlayout.h"

#include "eventpages.h"
#include "listcolumnwidths.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <array>

namespace {

const QString maximisedWord = QStringLiteral("maximised");

constexpr std::array<std::pair<EventPages::Page, SettingKey>, 4> listWidths{{
    {EventPages::ContactId, SettingKey::ContactIdWidths},
    {EventPages::Fast, SettingKey::FastWidths},
    {EventPages::Sia, SettingKey::SiaWidths},
    {EventPages::Polling, SettingKey::PollWidths},
}};

// The top of the window, where it is grabbed to be moved, must be on some screen for a good
// stretch; otherwise the operator could not reach it.
bool reachable(const QRect &rect) {
    const QRect top(rect.left(), rect.top(), rect.width(), std::min(rect.height(), 30));
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect shown = screen->availableGeometry().intersected(top);
        if (shown.width() >= std::min(rect.width(), 100) && shown.height() > 0)
            return true;
    }
    return false;
}

QRect onAScreen(QRect rect) {
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary || reachable(rect))
        return rect;
    const QRect area = primary->availableGeometry();
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveCenter(area.center());
    return rect;
}

} // namespace

QString windowPlaceText(const WindowPlace &place) {
    const QRect &r = place.normal;
    QString text =
        QStringLiteral("%1 %2 %3 %4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    if (place.maximised)
        text += QLatin1Char(' ') + maximisedWord;
    return text;
}

std::optional<WindowPlace> parseWindowPlace(const QString &text) {
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    WindowPlace place;
    if (words.size() == 5 && words.last() == maximisedWord) {
        place.maximised = true;
        words.removeLast();
    }
    if (words.size() != 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (qsizetype i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[size_t(i)] = words.at(i).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    place.normal = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (place.normal.width() <= 0 || place.normal.height() <= 0)
        return std::nullopt;
    return place;
}

void restoreWindowLayout(QWidget &window, EventPages &pages, const Settings &settings) {
    for (const auto &[page, key] : listWidths)
        pages.columnWidths(page)->setOperatorWidths(settings.text(key));
    const std::optional<WindowPlace> place =
        parseWindowPlace(settings.text(SettingKey::MainWindow));
    if (!place)
        return;
    window.setGeometry(onAScreen(place->normal));
    if (place->maximised)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void storeWindowLayout(const QWidget &window, bool placeKnown, const EventPages &pages,
                       Settings &settings) {
    for (const auto &[page, key] : listWidths)
        settings.setText(key, pages.columnWidths(page)->operatorWidths());
    // A window maximised before it was ever shown normally has no normal place to keep.
    const QRect normal = window.normalGeometry();
    if (placeKnown && normal.isValid())
        settings.setText(SettingKey::MainWindow, windowPlaceText({normal, window.isMaximized()}));
}
