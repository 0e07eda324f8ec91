#include "ipconnectiongroup.h"

#include "common/logbook.h"
#include "engine/ipservertoggle.h"
#include "settingbinding.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

QLineEdit *createCounter(const QString &name, QWidget *parent) {
    auto *field = new QLineEdit(QStringLiteral("0"), parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    return field;
}

QCheckBox *createOption(const QString &name, const QString &caption, Settings &settings,
                        SettingKey key, QWidget *parent) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    SettingBinding::bindCheckBox(box, settings, key);
    return box;
}

QLabel *createLabel(const QString &name, const QString &caption, QWidget *parent) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

IpConnectionGroup::IpConnectionGroup(Settings &settings, LogBook &logs, IpServerToggle &toggle,
                                     QWidget *parent)
    : QGroupBox(tr("IP Conection"), parent)
    , m_system(createLabel(QStringLiteral("system"), QString(), this))
    , m_threadCount(createCounter(QStringLiteral("ThreadCount"), this))
    , m_findAcc(createCounter(QStringLiteral("FindAcc"), this))
    , m_errorAcc(createLabel(QStringLiteral("ErrorAcc"), QString(), this))
    , m_startIp(new QPushButton(tr("START IP"), this)) {
    setObjectName(QStringLiteral("IpConectionGroup"));
    m_startIp->setObjectName(QStringLiteral("StartIP"));
    connect(m_startIp, &QPushButton::clicked, this,
            [&toggle] { toggle.toggle(IpServerToggle::Caller::Operator); });
    // The caption names what the next click does.
    connect(&toggle, &IpServerToggle::serverStateChanged, m_startIp,
            [this](bool active) { m_startIp->setText(active ? tr("STOP IP") : tr("START IP")); });

    auto *port = new QSpinBox(this);
    port->setObjectName(QStringLiteral("PortEdit"));
    port->setRange(1, 65535);
    port->setValue(10001);
    SettingBinding::bindSpinBox(port, settings, SettingKey::TcpPort);

    auto *logConnections = new QCheckBox(tr("Log Connections"), this);
    logConnections->setObjectName(QStringLiteral("Log_Con"));
    SettingBinding::bindCheckBox(logConnections, settings, SettingKey::LogConnections);
    connect(logConnections, &QCheckBox::clicked, this, [&logs](bool checked) {
        // The switch goes off before the stop line: that line is written all the same.
        logs.setConnectionLogEnabled(checked);
        logs.log_connection(checked ? QStringLiteral("Logging Started")
                                    : QStringLiteral("Logging Stopped"));
    });

    // Read by the receiver for every frame and text: a change takes effect at once.
    auto *dc09On = createOption(QStringLiteral("Dc09On"), tr("Accept DC-09"), settings,
                                SettingKey::Dc09On, this);
    auto *acceptClear = createOption(QStringLiteral("Dc09AcceptClear"), tr("DC-09 clear messages"),
                                     settings, SettingKey::Dc09AcceptClear, this);
    auto *checkClearTime =
        createOption(QStringLiteral("Dc09CheckClearTime"), tr("DC-09 clear message time check"),
                     settings, SettingKey::Dc09CheckClearTime, this);
    auto *knownOnly = createOption(QStringLiteral("KnownAccountsOnly"), tr("Known accounts only"),
                                   settings, SettingKey::KnownAccountsOnly, this);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Listen on Port:"), this), 0, 0);
    layout->addWidget(port, 0, 1);
    layout->addWidget(m_system, 1, 0, 1, 2);
    layout->addWidget(logConnections, 2, 0, 1, 2);
    layout->addWidget(new QLabel(tr("Connections"), this), 3, 0);
    layout->addWidget(m_threadCount, 3, 1);
    layout->addWidget(new QLabel(tr("Account"), this), 4, 0);
    layout->addWidget(m_findAcc, 4, 1);
    layout->addWidget(m_errorAcc, 5, 0, 1, 2);
    layout->addWidget(dc09On, 6, 0, 1, 2);
    layout->addWidget(acceptClear, 7, 0, 1, 2);
    layout->addWidget(checkClearTime, 8, 0, 1, 2);
    layout->addWidget(knownOnly, 9, 0, 1, 2);
    layout->addWidget(m_startIp, 10, 0, 1, 2);
}

void IpConnectionGroup::setSystemText(const QString &text) {
    m_system->setText(text);
}
