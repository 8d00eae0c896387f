#include "app/settingsdialogvalues.h"

#include <QtTest>

Q_DECLARE_METATYPE(MarginField)
Q_DECLARE_METATYPE(StandardFont)

class TestSettingsDialogValues : public QObject
{
    Q_OBJECT
private slots:
    // What a margin field shows, keeps on leaving it, and stores on OK.
    void margins_data()
    {
        QTest::addColumn<MarginField>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("stored");
        QTest::newRow("whole millimetres") << MarginField::Top << "25"
                                           << "25" << 250;
        QTest::newRow("leading zero dropped") << MarginField::Left << "015"
                                              << "15" << 150;
        QTest::newRow("blanks around") << MarginField::Bottom << " 7 "
                                       << "7" << 70;
        QTest::newRow("not a number, top") << MarginField::Top << "abc"
                                           << "20" << 200;
        QTest::newRow("not a number, right") << MarginField::Right << "abc"
                                             << "10" << 100;
        QTest::newRow("empty, right") << MarginField::Right << ""
                                      << "10" << 100;
        QTest::newRow("decimal is no whole number") << MarginField::Bottom << "1.5"
                                                    << "20" << 200;
        QTest::newRow("negative held at 0") << MarginField::Left << "-5"
                                            << "0" << 0;
        QTest::newRow("too wide for the tenths held at 6553") << MarginField::Top << "7000"
                                                              << "6553" << 65530;
    }
    void margins()
    {
        QFETCH(MarginField, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(int, stored);
        QCOMPARE(repairedMargin(typed, field), kept);
        QCOMPARE(int(marginTenths(typed, field)), stored);
    }

    void marginsShowWholeMillimetres()
    {
        Settings s;
        s.PrintMargins = { 200, 155, 9, 100 };
        const SettingsDialogValues v = dialogValues(s, 0);
        QCOMPARE(v.margins[0], QStringLiteral("20"));
        QCOMPARE(v.margins[1], QStringLiteral("15"));
        QCOMPARE(v.margins[2], QStringLiteral("0"));
        QCOMPARE(v.margins[3], QStringLiteral("10"));
        // Unchanged, 155 tenths come back as 150.
        assignDialogValues(v, &s);
        QCOMPARE(int(s.PrintMargins.left), 150);
        QCOMPARE(int(s.PrintMargins.bottom), 0);
    }

    void delay_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("delay");
        QTest::newRow("number") << "450" << 450;
        QTest::newRow("empty") << "" << 300;
        QTest::newRow("garbage") << "fast" << 300;
        QTest::newRow("not the file's default 200") << "2OO" << 300;
    }
    void delay()
    {
        QFETCH(QString, typed);
        QFETCH(int, delay);
        QCOMPARE(viewerDelayOf(typed), delay);
    }

    // OK takes every value as the controls hold it; only the viewer's path keeps its blanks.
    void assignsEveryValue()
    {
        Settings s;
        SettingsDialogValues v = dialogValues(s, 0x123456);
        QCOMPARE(v.toolbarColor, 0x123456u);
        QCOMPARE(v.viewerDelay, QStringLiteral("200"));
        v.viewColor = 0x010203;
        v.editColor = 0x040506;
        v.viewFont.name = "Courier New";
        v.printFontName = "Times";
        v.viewerPath = " /opt/view er ";
        v.viewerExtensions = "  .jpg .png ";
        v.fileManagerPath = " mc ";
        v.viewerParams = " -f ";
        v.viewerDelay = "";
        v.gridLines = 1;
        v.folderListCollapsed = 1;
        v.deleteEmptyFolders = 1;
        v.searchInText = 0;
        v.startArchiveMode = 1;
        v.folderInfoMode = 1;
        assignDialogValues(v, &s);
        QCOMPARE(s.ViewColor, 0x010203u);
        QCOMPARE(s.EditColor, 0x040506u);
        QCOMPARE(s.ViewFont.name, QStringLiteral("Courier New"));
        QCOMPARE(s.PrintFontName, QStringLiteral("Times"));
        QCOMPARE(s.ViewerPath, QStringLiteral(" /opt/view er "));
        QCOMPARE(s.ViewerExtensions, QStringLiteral(".jpg .png"));
        QCOMPARE(s.FileManagerPath, QStringLiteral("mc"));
        QCOMPARE(s.ViewerParams, QStringLiteral("-f"));
        QCOMPARE(s.ViewerDelay, 300);
        QCOMPARE(int(s.GridLines), 1);
        QCOMPARE(int(s.FolderListCollapsed), 1);
        QCOMPARE(int(s.DeleteEmptyFolders), 1);
        QCOMPARE(int(s.SearchInText), 0);
        QCOMPARE(s.StartArchiveMode, 1);
        QCOMPARE(int(s.FolderInfoMode), 1);
    }

    void standardFonts_data()
    {
        QTest::addColumn<StandardFont>("which");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("style");
        QTest::newRow("font panel") << StandardFont::Verdana << "Verdana" << 9 << 3;
        QTest::newRow("Standard PS") << StandardFont::WindowFont << "MS Sans Serif" << 8 << 0;
        QTest::newRow("Standard FS") << StandardFont::CourierNew << "Courier New" << 9 << 3;
    }
    void standardFonts()
    {
        QFETCH(StandardFont, which);
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, style);
        FontSettings current;
        current.name = "Arial";
        current.size = 14;
        current.style = 3;
        current.charSet = 238;
        current.color = 0xFF;
        const FontSettings font = standardFont(which, current);
        QCOMPARE(font.name, name);
        QCOMPARE(font.size, size);
        QCOMPARE(int(font.style), style);
        QCOMPARE(int(font.charSet), 0);
        QCOMPARE(font.color, -2147483640);
    }
};

QTEST_GUILESS_MAIN(TestSettingsDialogValues)
#include "tst_settingsdialogvalues.moc"
