#pragma once

#include <QApplication>
#include <QString>

// The box for failures that a command did not catch: caption "Tabulon", a stop icon, an
// OK button and the failure's text (with a full stop added where it reads as a
// sentence). The program goes on afterwards.
void showErrorBox(QWidget *parent, const QString &failure);

// The program's application object. Every event passes through notify(), so a failure
// that escapes any handler, also one not started from a menu, ends in the error box
// instead of ending the program.
class TabulonApplication : public QApplication
{
public:
    TabulonApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
