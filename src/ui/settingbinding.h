#pragma once

#include "settings/settingkeys.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class Settings;

// Ties a control to its row of the live settings in both directions. The control shows the
// value now and whenever the setting changes (the read at start-up, another window); an edit of
// the control stores the new value. Showing a setting never re-emits the control's change
// signals, so a setting change does not come back as an operator edit.
namespace SettingBinding {

void bindComboBox(QComboBox *box, Settings &settings, SettingKey key);
void bindCheckBox(QCheckBox *box, Settings &settings, SettingKey key);
void bindLineEdit(QLineEdit *edit, Settings &settings, SettingKey key);
// A number field whose setting is kept as text; text that is not a number in the field's range
// leaves the field as it was.
void bindSpinBox(QSpinBox *box, Settings &settings, SettingKey key);

// The setting-to-control half alone, for a control whose edits need a check of their own.
void showCheckBox(QCheckBox *box, Settings &settings, SettingKey key);

} // namespace SettingBinding
