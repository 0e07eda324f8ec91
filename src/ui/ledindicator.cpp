#include "ledindicator.h"

#include <QPainter>

LedIndicator::LedIndicator(const QString &objectName, QColor color, QWidget *parent)
    : QWidget(parent)
    , m_color(color) {
    setObjectName(objectName);
    setFixedSize(sizeHint());
}

void LedIndicator::setLit(bool lit) {
    if (m_lit == lit)
        return;
    m_lit = lit;
    update();
}

void LedIndicator::setColor(const QColor &color) {
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void LedIndicator::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::darkGray));
    painter.setBrush(m_lit ? m_color : m_color.darker(400));
    painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
}
