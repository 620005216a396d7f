// Small makers of the controls the tabs share: each control gets its object name, by which the
// tests and the screenshots find it.
#pragma once

#include <initializer_list>
#include <string>

#include <QString>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace vornax::app {

inline QString Text(const std::string& s) { return QString::fromStdString(s); }
inline std::string Std(const QString& s) { return s.toStdString(); }

QComboBox* Combo(QWidget* parent, std::initializer_list<const char*> items, const char* name);
QLabel* Label(const QString& text, QWidget* parent, const char* name);
QPushButton* Button(const QString& text, QWidget* parent, const char* name);
// A read-only text box.
QPlainTextEdit* Memo(QWidget* parent, const char* name);

}  // namespace vornax::app
