#pragma once

#include "ui/passwordprompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

// Answers the next password prompt once it is on screen, as an operator would: types the text
// into the field and leaves the prompt the way the test says. Records what the prompt showed.
struct PromptAnswer {
    enum Leave { Ok, Cancel, Escape, CloseWindow };

    bool shown = false;
    QString caption;
    QString fieldOnShow; // what the field held when the prompt appeared
    QRect geometry;

    // Stops waiting for a prompt that was not to come.
    void retire() { m_retired = true; }

    static std::shared_ptr<PromptAnswer> next(const QString &text, Leave leave = Ok) {
        auto answer = std::make_shared<PromptAnswer>();
        schedule(answer, text, leave, 1000);
        return answer;
    }

private:
    static void schedule(std::shared_ptr<PromptAnswer> answer, const QString &text, Leave leave,
                         int triesLeft) {
        QTimer::singleShot(10, [answer, text, leave, triesLeft] {
            if (answer->m_retired)
                return;
            auto *prompt = qobject_cast<PasswordPrompt *>(QApplication::activeModalWidget());
            if (prompt)
                answer->answerOn(*prompt, text, leave);
            else if (triesLeft > 0)
                schedule(answer, text, leave, triesLeft - 1);
        });
    }

    void answerOn(PasswordPrompt &prompt, const QString &text, Leave leave) {
        shown = true;
        caption = prompt.windowTitle();
        fieldOnShow = prompt.field()->text();
        geometry = prompt.frameGeometry();
        QTest::keyClicks(prompt.field(), text);
        switch (leave) {
        case Ok:
            prompt.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
            break;
        case Cancel:
            prompt.findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
            break;
        case Escape:
            QTest::keyClick(&prompt, Qt::Key_Escape);
            break;
        case CloseWindow:
            prompt.close();
            break;
        }
    }

    bool m_retired = false;
};
