#pragma once

class QDialog;
class QLineEdit;
class QString;

// The layout both password windows share: "Password:", the field, OK and Cancel (which only
// close the window). Returns the field, named `fieldName`.
QLineEdit *buildPasswordForm(QDialog &dialog, const QString &fieldName);
