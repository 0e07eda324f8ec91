#include "messageboxdialogs.h"

#include <QMessageBox>

MessageBoxDialogs::MessageBoxDialogs(QWidget *parentWindow)
    : m_parentWindow(parentWindow) {}

MessageBoxDialogs::~MessageBoxDialogs() {
    delete m_backgroundNotice.data();
}

bool MessageBoxDialogs::question(const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    m_parentWindow);
    // Every question guards something that cannot be undone: a stray Enter must not confirm it.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxDialogs::notice(const QString &title, const QString &text) {
    showNotice(QMessageBox::NoIcon, title, text);
}

void MessageBoxDialogs::errorNotice(const QString &title, const QString &text) {
    showNotice(QMessageBox::Critical, title, text);
}

void MessageBoxDialogs::informationNotice(const QString &title, const QString &text) {
    showNotice(QMessageBox::Information, title, text);
}

void MessageBoxDialogs::showNotice(QMessageBox::Icon icon, const QString &title,
                                   const QString &text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, m_parentWindow);
    box.exec();
}

void MessageBoxDialogs::backgroundNotice(const QString &title, const QString &text) {
    if (visibleBackgroundNotice())
        return;
    delete m_backgroundNotice.data();
    auto *box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parentWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    m_backgroundNotice = box;
    box->show();
}

QMessageBox *MessageBoxDialogs::visibleBackgroundNotice() const {
    return m_backgroundNotice && m_backgroundNotice->isVisible() ? m_backgroundNotice.data()
                                                                 : nullptr;
}
