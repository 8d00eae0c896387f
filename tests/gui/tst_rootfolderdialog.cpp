#include "app/ui/rootfolderdialog.h"
#include "support/gui/whenmodal.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestRootFolderDialog : public QObject
{
    Q_OBJECT

    template <typename T> static T *child(RootFolderDialog &dialog, const char *name)
    {
        T *widget = dialog.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    // Shows the dialog modally without blocking and waits until the field has the focus.
    static bool openAndFocus(RootFolderDialog &dialog)
    {
        dialog.open();
        return QTest::qWaitFor([&] { return child<QLineEdit>(dialog, "Edit1")->hasFocus(); });
    }

private slots:
    void controls()
    {
        RootFolderDialog dialog;
        QCOMPARE(child<QLabel>(dialog, "Label1")->text(),
            QStringLiteral("Folder ?  (also relative f.e. \"Files\\\")"));
        QCOMPARE(child<QLineEdit>(dialog, "Edit1")->width(), 201);
        QCOMPARE(child<QPushButton>(dialog, "Button1")->text(), QStringLiteral("&OK"));
        QCOMPARE(child<QPushButton>(dialog, "Button2")->text(), QStringLiteral("&Cancel"));
        QCOMPARE(child<QPushButton>(dialog, "Button5")->text(), QStringLiteral("usb"));
        QCOMPARE(child<QPushButton>(dialog, "Button5")->focusPolicy(), Qt::NoFocus);
        QCOMPARE(child<QPushButton>(dialog, "BitBtn1")->size(), QSize(30, 22));
        QVERIFY(!child<QPushButton>(dialog, "Button1")->isEnabled());
    }

    void okOnlyWithText()
    {
        RootFolderDialog dialog;
        QVERIFY(openAndFocus(dialog));
        auto *edit = child<QLineEdit>(dialog, "Edit1");
        auto *ok = child<QPushButton>(dialog, "Button1");
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(edit, "D");
        QVERIFY(ok->isEnabled());
        QTest::keyClick(edit, Qt::Key_Backspace);
        QVERIFY(!ok->isEnabled());
        dialog.setText("Archive\\");
        QVERIFY(ok->isEnabled());
    }

    void enterMovesToOkThenConfirms()
    {
        RootFolderDialog dialog;
        dialog.setText("Archive\\");
        QVERIFY(openAndFocus(dialog));
        auto *ok = child<QPushButton>(dialog, "Button1");
        QTest::keyClick(child<QLineEdit>(dialog, "Edit1"), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(QTest::qWaitFor([&] { return ok->hasFocus(); }));
        QTest::keyClick(ok, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(dialog.text(), QStringLiteral("Archive\\"));
    }

    void enterInEmptyFieldStays()
    {
        RootFolderDialog dialog;
        QVERIFY(openAndFocus(dialog));
        auto *edit = child<QLineEdit>(dialog, "Edit1");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(edit->hasFocus());
        dialog.done(0);
    }

    void everyOtherWayOutIsCancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel button") << "cancel";
        QTest::newRow("escape") << "esc";
        QTest::newRow("close box") << "close";
    }
    void everyOtherWayOutIsCancel()
    {
        QFETCH(QString, how);
        RootFolderDialog dialog;
        dialog.setText("Data");
        QVERIFY(openAndFocus(dialog));
        if (how == "cancel")
            QTest::mouseClick(child<QPushButton>(dialog, "Button2"), Qt::LeftButton);
        else if (how == "esc")
            QTest::keyClick(child<QLineEdit>(dialog, "Edit1"), Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    void usbButton_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("drive replaced, backslash stays") << "E:\\Photos"
                                                         << "%usb%\\Photos";
        QTest::newRow("relative gets prefix") << "Photos\\"
                                              << "%usb%Photos\\";
        QTest::newRow("mount directory replaced") << "/media/bob/STICK/Photos"
                                                  << "%usb%/Photos";
        QTest::newRow("short text") << "P"
                                    << "%usb%P";
    }
    void usbButton()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        RootFolderDialog dialog;
        dialog.setText(before);
        QTest::mouseClick(child<QPushButton>(dialog, "Button5"), Qt::LeftButton);
        QCOMPARE(dialog.text(), after);
    }

    void askRootFolder_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answered");
        QTest::newRow("ok") << "Button1" << true;
        QTest::newRow("cancel") << "Button2" << false;
    }
    void askRootFolder()
    {
        QFETCH(QString, button);
        QFETCH(bool, answered);
        QString caption;
        // Presses the button once the modal dialog is up.
        whenModal<RootFolderDialog>([&](RootFolderDialog *dialog) {
            caption = dialog->windowTitle();
            child<QPushButton>(*dialog, button.toLatin1().constData())->click();
        });
        QString answer = "unchanged";
        QCOMPARE(
            RootFolderDialog::askRootFolder("Root folder for:  'Fotos'  ?", "Fotos\\", &answer),
            answered);
        QCOMPARE(caption, QStringLiteral("Root folder for:  'Fotos'  ?"));
        QCOMPARE(answer, answered ? QStringLiteral("Fotos\\") : QStringLiteral("unchanged"));
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("after");
        QTest::newRow("folder picked") << "/home/bob/Photos"
                                       << "/home/bob/Photos";
        QTest::newRow("cancelled") << ""
                                   << "Archive\\";
    }
    void browse()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, after);
        RootFolderDialog dialog;
        dialog.setWindowTitle("Root folder for:  'Archive'  ?");
        dialog.setText("Archive\\");
        QStringList asked;
        dialog.setFolderChooser(
            [&](const QString &caption, const QString &headline, const QString &start) {
                asked << caption << headline << start;
                return chosen;
            });
        QTest::mouseClick(child<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton);
        QCOMPARE(
            asked, QStringList({ "Search folder", "Root folder for:  'Archive'  ?", "Archive\\" }));
        QCOMPARE(dialog.text(), after);
    }
};

QTEST_MAIN(TestRootFolderDialog)
#include "tst_rootfolderdialog.moc"
