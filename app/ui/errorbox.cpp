#include "errorbox.h"

#include "app/appstate.h"

#include <QMessageBox>

#include <exception>

void showErrorBox(QWidget *parent, const QString &failure)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tabulon"), errorBoxText(failure),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

TabulonApplication::TabulonApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TabulonApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showErrorBox(activeWindow(), QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(activeWindow(), QStringLiteral("Unknown failure"));
    }
    return false;
}
