#include "errorbox.h"

#include "dialogs/shareddialog.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <exception>

void showErrorBox(QWidget *parent, const QString &failure)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tabulon"), errorBoxText(failure),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

bool runGuarded(QWidget *parent, const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception &e) {
        showErrorBox(parent ? parent->window() : nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(parent ? parent->window() : nullptr,
            QCoreApplication::translate("ErrorBox", "Unknown failure"));
    }
    return false;
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
        showErrorBox(activeWindow(), QCoreApplication::translate("ErrorBox", "Unknown failure"));
    }
    return false;
}
