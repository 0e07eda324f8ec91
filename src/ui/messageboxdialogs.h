#pragma once

#include "common/operatordialogs.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

// Operator questions and notices as message boxes. Questions and notices that follow an
// operator's action are modal; a notice raised from a timer tick is shown without blocking, and
// while one is on screen further ones are dropped so that a repeating cause cannot stack boxes.
class MessageBoxDialogs : public OperatorDialogs {
public:
    explicit MessageBoxDialogs(QWidget *parentWindow = nullptr);
    ~MessageBoxDialogs() override;

    // The window the boxes are centred on; may be set once the windows exist.
    void setParentWindow(QWidget *parentWindow) { m_parentWindow = parentWindow; }

    bool question(const QString &title, const QString &text) override;
    void notice(const QString &title, const QString &text) override;
    void errorNotice(const QString &title, const QString &text) override;
    void informationNotice(const QString &title, const QString &text) override;
    void backgroundNotice(const QString &title, const QString &text) override;

    // The background notice on screen, if any.
    QMessageBox *visibleBackgroundNotice() const;

private:
    void showNotice(QMessageBox::Icon icon, const QString &title, const QString &text);

    QPointer<QWidget> m_parentWindow;
    QPointer<QMessageBox> m_backgroundNotice;
};
