#include "settingbinding.h"

#include "settings/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

namespace SettingBinding {

namespace {

// Calls show() now and after every change of `key`, on the control's thread.
template <typename Control, typename Show>
void follow(Control *control, Settings &settings, SettingKey key, Show show) {
    show();
    QObject::connect(&settings, &Settings::changed, control, [key, show](SettingKey changed) {
        if (changed == key)
            show();
    });
}

} // namespace

void bindComboBox(QComboBox *box, Settings &settings, SettingKey key) {
    follow(box, settings, key, [box, &settings, key] {
        const int index = settings.integer(key);
        // An index outside the list leaves the list without a selection.
        const int shown = index >= 0 && index < box->count() ? index : -1;
        if (box->currentIndex() != shown) {
            const QSignalBlocker blocker(box);
            box->setCurrentIndex(shown);
        }
    });
    QObject::connect(box, &QComboBox::currentIndexChanged, &settings,
                     [&settings, key](int index) { settings.setInteger(key, index); });
}

void showCheckBox(QCheckBox *box, Settings &settings, SettingKey key) {
    follow(box, settings, key, [box, &settings, key] {
        const bool checked = settings.flag(key);
        if (box->isChecked() != checked) {
            const QSignalBlocker blocker(box);
            box->setChecked(checked);
        }
    });
}

void bindCheckBox(QCheckBox *box, Settings &settings, SettingKey key) {
    showCheckBox(box, settings, key);
    QObject::connect(box, &QCheckBox::toggled, &settings,
                     [&settings, key](bool checked) { settings.setFlag(key, checked); });
}

void bindLineEdit(QLineEdit *edit, Settings &settings, SettingKey key) {
    follow(edit, settings, key, [edit, &settings, key] {
        const QString text = settings.text(key);
        if (edit->text() != text) {
            const QSignalBlocker blocker(edit);
            edit->setText(text);
        }
    });
    QObject::connect(edit, &QLineEdit::textChanged, &settings,
                     [&settings, key](const QString &text) { settings.setText(key, text); });
}

void bindSpinBox(QSpinBox *box, Settings &settings, SettingKey key) {
    if (const SettingRow &row = settingRow(key); row.isNumber())
        box->setRange(row.minimum, row.maximum);
    follow(box, settings, key, [box, &settings, key] {
        bool ok = false;
        const int value = settings.text(key).trimmed().toInt(&ok);
        if (ok && value >= box->minimum() && value <= box->maximum() && value != box->value()) {
            const QSignalBlocker blocker(box);
            box->setValue(value);
        }
    });
    QObject::connect(box, &QSpinBox::valueChanged, &settings, [&settings, key](int value) {
        settings.setText(key, QString::number(value));
    });
}

} // namespace SettingBinding
