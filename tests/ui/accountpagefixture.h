#pragma once

#include "accounts/pollsupervision.h"
#include "ui/accountpage.h"
#include "ui/eventpages.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtEndian>

// The "Polling Accounts" page in the main window, showing and active, over a real account file
// in the temporary working directory, with an operator logged on.
struct AccountPageFixture : WindowFixture {
    struct NoReports : PollReportSink {
        void pollReport(const PollReport &) override {}
    } reports;
    PollSupervision polls{accounts, reports,
                          [this] { return settings.integer(SettingKey::PollTimeOut); }};
    AccountPage *page = nullptr;

    explicit AccountPageFixture(const QByteArray &file = {}) {
        if (!file.isNull()) {
            QFile pdb(QStringLiteral("Accounts.PDB"));
            if (pdb.open(QIODevice::WriteOnly))
                pdb.write(file);
        }
        accounts.ReadAccRec(settings.integer(SettingKey::PollTimeOut));
        page = new AccountPage({accounts, settings, dialogs});
        main.setAccountPage(page);
        main.pages()->setCurrentIndex(EventPages::PollingAccounts);
        page->setLoggedOn(true);
        main.show();
        main.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&main); }

    QLineEdit *edit(const char *name) { return control<QLineEdit>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) {
        return control<QPushButton>(QString::fromLatin1(name));
    }
    QSpinBox *spin(const char *name) { return control<QSpinBox>(QString::fromLatin1(name)); }
    QCheckBox *box(const char *name) { return control<QCheckBox>(QString::fromLatin1(name)); }
    QString text(const char *name) { return edit(name)->text(); }
    QByteArray file() const { return env.readFile(QStringLiteral("Accounts.PDB")); }
    QString focusName() const {
        QWidget *focus = QApplication::focusWidget();
        // A spin field's focus sits in its text part.
        if (focus && qobject_cast<QSpinBox *>(focus->parentWidget()))
            focus = focus->parentWidget();
        return focus ? focus->objectName() : QString();
    }

    void type(const char *name, const QString &typed) {
        edit(name)->clear();
        QTest::keyClicks(edit(name), typed);
    }
    void fillEditor(const QString &name, const QString &code, int poll, int arm,
                    const QString &nuaIp = {}, QList<bool> options = {false, false, false}) {
        type("NewAccName", name);
        type("AccountCode", code);
        spin("NewAccPoll")->setValue(poll);
        spin("NewAccArmPoll")->setValue(arm);
        type("NewNuaIp", nuaIp);
        const char *boxes[] = {"NewSyncClock", "NewMatchNua", "NewRepSIA"};
        for (int i = 0; i < 3; ++i)
            box(boxes[i])->setChecked(options.at(i));
    }
};

// One record as Accounts.PDB holds it, laid out by hand.
struct Image {
    Image(quint32 number, QByteArray name, quint16 poll, quint16 arm, quint16 options = 0,
          quint16 timer = 0, QByteArray nuaIp = {})
        : number(number)
        , name(std::move(name))
        , poll(poll)
        , arm(arm)
        , options(options)
        , timer(timer)
        , nuaIp(std::move(nuaIp)) {}

    quint32 number = 0;
    QByteArray name;
    quint16 poll = 0;
    quint16 arm = 0;
    quint16 options = 0;
    quint16 timer = 0;
    quint16 failed = 0;
    QByteArray nuaIp;
    QByteArray lastNuaIp;

    QByteArray bytes() const {
        QByteArray image(104, '\0');
        const auto putText = [&image](int offset, const QByteArray &text) {
            image[offset] = char(text.size());
            image.replace(offset + 1, text.size(), text);
        };
        putText(8, name);
        putText(39, nuaIp);
        putText(60, lastNuaIp);
        qToLittleEndian<quint32>(number, image.data() + 84);
        const quint16 words[] = {poll, arm, options, timer, failed};
        for (int i = 0; i < 5; ++i)
            qToLittleEndian<quint16>(words[i], image.data() + 88 + 2 * i);
        return image;
    }
};
