#pragma once

#include <QColor>
#include <QWidget>

// A round status light: lit in its colour, or dark.
class LedIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit)
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit LedIndicator(const QString &objectName, QColor color = QColor(0x00, 0xff, 0x00),
                          QWidget *parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_lit = false;
    QColor m_color;
};
