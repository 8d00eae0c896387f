#pragma once

#include <QApplication>
#include <QString>

#include <functional>

// The box for failures that a command did not catch: caption "Tabulon", a stop icon, an
// OK button and the failure's text (with a full stop added where it reads as a
// sentence). The program goes on afterwards.
void showErrorBox(QWidget *parent, const QString &failure);

// Runs fn; a failure escaping it is shown in the error box over parent's window and the
// program goes on. Returns false when fn failed.
bool runGuarded(QWidget *parent, const std::function<void()> &fn);

// The program's application object. Every event passes through notify(), so a failure
// that escapes any handler, also one not started from a menu, ends in the error box
// instead of ending the program.
class TabulonApplication : public QApplication
{
public:
    TabulonApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
