#pragma once

class QDialog;
class QLineEdit;
class QString;

// The layout both password windows share: "Password:", the field, OK (accepts) and Cancel
// (rejects). Returns the field, named `fieldName`.
QLineEdit *buildPasswordForm(QDialog &dialog, const QString &fieldName);
