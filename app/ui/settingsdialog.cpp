#include "settingsdialog.h"

#include "fileops/viewerhandoff.h"
#include "state/settingslook.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// The extensions field: letters typed appear in lower case. Text put in by the program
// (the setting) and pasted text keep theirs. The path fields keep what is typed, since
// names on this system differ by letter case.
class LowerCaseEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QString lower = event->text().toLower();
        if (lower == event->text()) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        QKeyEvent typed(event->type(), event->key(), event->modifiers(), lower,
            event->isAutoRepeat(), ushort(event->count()));
        QLineEdit::keyPressEvent(&typed);
        event->setAccepted(typed.isAccepted());
    }
};

// Both pages' tabs as wide as the wider one.
class EqualTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        for (int i = 0; i < count(); ++i)
            size.setWidth(qMax(size.width(), QTabBar::tabSizeHint(i).width()));
        return size;
    }
};

class Pages : public QTabWidget
{
public:
    explicit Pages(QWidget *parent)
        : QTabWidget(parent)
    {
        setTabBar(new EqualTabBar(this));
    }
};

// A colour sample or font panel: a sunken panel with centred text and a hand cursor.
void makePanel(QLabel *panel)
{
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setFixedSize(160, 24);
}

void setPanelColours(QLabel *panel, const QColor &background, const QColor &text)
{
    QPalette pal = panel->palette();
    if (background.isValid())
        pal.setColor(QPalette::Window, background);
    if (text.isValid())
        pal.setColor(QPalette::WindowText, text);
    panel->setPalette(pal);
}

QLabel *unitLabel(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

// The pictures of the colour and font buttons: a palette of three swatches, a letter.
QIcon colourIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0x40, 0x40, 0x40));
    const QColor swatches[]
        = { QColor(0xD2, 0x36, 0x2A), QColor(0x2E, 0x9B, 0x3A), QColor(0x2A, 0x6C, 0xD0) };
    for (int i = 0; i < 3; ++i) {
        p.setBrush(swatches[i]);
        p.drawRect(1 + i * 5, 4 + (i % 2) * 3, 4, 7);
    }
    return QIcon(pixmap);
}

QIcon fontIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QFont letter(QStringLiteral("Serif"));
    letter.setPixelSize(15);
    letter.setBold(true);
    p.setFont(letter);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("A"));
    return QIcon(pixmap);
}

} // namespace

SettingsDialog::Choosers SettingsDialog::platformChoosers()
{
    Choosers c;
    c.colour = [](const QColor &initial) {
        const QColor picked = QColorDialog::getColor(initial, QApplication::activeWindow());
        return picked.isValid() ? picked : initial;
    };
    c.font = [](const QFont &initial) {
        bool ok = false;
        const QFont picked = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
        return ok ? picked : initial;
    };
    c.file = [](const QString &current) {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), current);
    };
    return c;
}

SettingsDialog::SettingsDialog(
    const SettingsDialogValues &values, const Settings &inForce, Choosers choosers, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_values(values)
    , m_viewFontInForce(inForce.viewFont)
    , m_printFontInForce(inForce.printFontName)
    , m_choosers(std::move(choosers))
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(tr("Settings"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    m_pages = new Pages(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(createViewPage(), tr("&View - F5"));
    m_pages->addTab(createParameterPage(), tr("&Parameters - F6"));

    m_okButton = new QPushButton(tr("&OK"), this);
    m_okButton->setObjectName(QStringLiteral("Button3"));
    m_cancelButton = new QPushButton(tr("&Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("Button2"));
    // Enter is handled below: it must not close the dialog from an edit field.
    for (QPushButton *b : { m_okButton, m_cancelButton })
        b->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &SettingsDialog::repairMarginsAndAccept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(5, 5, 5, 5);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(m_pages);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    column->addLayout(buttons);

    auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, [this] { m_pages->setCurrentIndex(0); });
    auto *f6 = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(f6, &QShortcut::activated, this, [this] { m_pages->setCurrentIndex(1); });

    fill(values);
    m_pages->setCurrentIndex(0);
}

QWidget *SettingsDialog::createViewPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto *column = new QVBoxLayout(page);

    auto *colours = new QGroupBox(tr("Background colors"), page);
    auto *colourGrid = new QGridLayout(colours);
    m_viewColourSample = createSample("Panel1", tr("View"));
    m_editColourSample = createSample("Panel2", tr("Edit"));
    m_toolbarColourSample = createSample("Panel3", tr("Function keys"));
    const char *colourButtons[] = { "SpeedButton1", "SpeedButton2", "SpeedButton3" };
    QLabel *samples[] = { m_viewColourSample, m_editColourSample, m_toolbarColourSample };
    quint32 *colourValues[] = { &m_values.viewColor, &m_values.editColor, &m_values.toolbarColor };
    for (int i = 0; i < 3; ++i) {
        QToolButton *button = createIconButton(colourButtons[i], colourIcon());
        quint32 *value = colourValues[i];
        connect(button, &QToolButton::clicked, this, [this, value] { chooseColour(value); });
        colourGrid->addWidget(samples[i], i, 0);
        colourGrid->addWidget(button, i, 1);
        colourGrid->setColumnStretch(2, 1);
    }
    column->addWidget(colours);

    auto *fonts = new QGroupBox(tr("Fonts"), page);
    auto *fontGrid = new QGridLayout(fonts);
    m_viewFontPanel = createSample("Panel4", QString());
    QToolButton *fontButton = createIconButton("SpeedButton4", fontIcon());
    connect(fontButton, &QToolButton::clicked, this, &SettingsDialog::chooseViewFont);
    m_proportionalFontLabel = new QLabel(tr("Standard PS"), fonts);
    m_proportionalFontLabel->setObjectName(QStringLiteral("Label14"));
    m_fixedFontLabel = new QLabel(tr("Standard FS"), fonts);
    m_fixedFontLabel->setObjectName(QStringLiteral("Label26"));
    for (QLabel *label : { m_proportionalFontLabel, m_fixedFontLabel }) {
        // Drawn like links, since a click acts.
        QFont underlined = label->font();
        underlined.setUnderline(true);
        label->setFont(underlined);
        label->setForegroundRole(QPalette::Link);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
    auto *standards = new QHBoxLayout;
    standards->addWidget(m_proportionalFontLabel);
    standards->addSpacing(20);
    standards->addWidget(m_fixedFontLabel);
    standards->addStretch();
    fontGrid->addWidget(m_viewFontPanel, 0, 0);
    fontGrid->addWidget(fontButton, 0, 1);
    fontGrid->addLayout(standards, 1, 0, 1, 2);
    fontGrid->setColumnStretch(2, 1);
    column->addWidget(fonts);

    auto *viewer = new QGridLayout;
    m_viewerPathEdit = createEdit("Edit1", FieldKind::Path);
    QPushButton *browse = createBrowseButton("BitBtn1");
    connect(browse, &QPushButton::clicked, this, [this] { chooseFile(m_viewerPathEdit); });
    m_viewerExtensionsEdit = createEdit("Edit7", FieldKind::LowerCase);
    m_viewerParamsEdit = createEdit("Edit2");
    m_viewerDelayEdit = createEdit("Edit8");
    m_viewerDelayEdit->setFixedWidth(60);
    auto *delay = new QHBoxLayout;
    delay->addWidget(m_viewerDelayEdit);
    delay->addWidget(unitLabel(tr("ms"), page));
    // The program must answer the user between the pauses, so no pause is longer.
    auto *cap = new QLabel(tr("(each pause at most %1 ms)").arg(viewerhandoff::kMaxDelayMs), page);
    cap->setObjectName(QStringLiteral("delayCapLabel"));
    delay->addWidget(cap);
    delay->addStretch();
    viewer->addWidget(new QLabel(tr("Viewer:"), page), 0, 0);
    viewer->addWidget(new QLabel(tr("(relative: ..\\ or %usb%)"), page), 0, 1);
    viewer->addWidget(m_viewerPathEdit, 1, 0, 1, 2);
    viewer->addWidget(browse, 1, 2);
    viewer->addWidget(new QLabel(tr("Extensions:"), page), 2, 0);
    viewer->addWidget(m_viewerExtensionsEdit, 2, 1);
    viewer->addWidget(new QLabel(tr("Parameter:"), page), 3, 0);
    viewer->addWidget(m_viewerParamsEdit, 3, 1);
    viewer->addWidget(new QLabel(tr("Delay:"), page), 4, 0);
    viewer->addLayout(delay, 4, 1);
    column->addLayout(viewer);
    column->addStretch();
    return page;
}

QWidget *SettingsDialog::createParameterPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto *column = new QVBoxLayout(page);

    auto *print = new QGroupBox(tr("Print page"), page);
    auto *marginGrid = new QGridLayout(print);
    const char *names[] = { "Edit3", "Edit4", "Edit5", "Edit6" };
    const QString captions[]
        = { tr("top magin:"), tr("left margin:"), tr("bottom margin:"), tr("right margin:") };
    for (int i = 0; i < 4; ++i) {
        QLineEdit *edit = createEdit(names[i]);
        edit->setFixedWidth(50);
        edit->installEventFilter(this);
        m_margins[size_t(i)] = edit;
        marginGrid->addWidget(new QLabel(captions[i], print), i, 0);
        marginGrid->addWidget(edit, i, 1);
        marginGrid->addWidget(unitLabel(tr("mm"), print), i, 2);
    }
    column->addWidget(print);

    auto *printFonts = new QGroupBox(tr("Print fonts"), page);
    auto *printFontRow = new QHBoxLayout(printFonts);
    m_printFontPanel = createSample("Panel5", QString());
    QToolButton *printFontButton = createIconButton("SpeedButton5", fontIcon());
    connect(printFontButton, &QToolButton::clicked, this, &SettingsDialog::choosePrintFont);
    printFontRow->addWidget(m_printFontPanel);
    printFontRow->addWidget(printFontButton);
    printFontRow->addStretch();
    column->addWidget(printFonts);

    const QStringList noYes = { tr("No"), tr("Yes") };
    const SettingsDialogValues &v = m_values;
    m_folderListComboBox
        = createList("ComboBox2", { tr("expanded"), tr("collapsed") }, v.folderListCollapsed);
    m_folderInfoComboBox
        = createList("ComboBox7", { tr("No"), QStringLiteral("Descript.ion") }, v.folderInfoMode);
    m_deleteEmptyComboBox = createList("ComboBox3", noYes, v.deleteEmptyFolders);
    m_searchInTextComboBox = createList("ComboBox4", noYes, v.searchInText);
    m_extensionlessComboBox = createList("extensionlessComboBox", noYes, v.filesWithoutExtension);
    m_extensionlessComboBox->setEnabled(v.filesWithoutExtension >= 0);
    m_fileManagerEdit = createEdit("Edit9", FieldKind::Path);
    QPushButton *browse = createBrowseButton("BitBtn2");
    connect(browse, &QPushButton::clicked, this, [this] { chooseFile(m_fileManagerEdit); });
    m_gridLinesComboBox = createList("ComboBox1", noYes, v.gridLines);
    m_startArchiveComboBox = createList(
        "ComboBox6", { tr("the last used"), tr("always the same") }, v.startArchiveMode);
    for (QComboBox *list : { m_gridLinesComboBox, m_startArchiveComboBox })
        list->installEventFilter(this);

    auto *grid = new QGridLayout;
    const std::pair<const char *, QComboBox *> lists[]
        = { { QT_TR_NOOP("Folder list:"), m_folderListComboBox },
              { QT_TR_NOOP("Folder-info-file:"), m_folderInfoComboBox },
              { QT_TR_NOOP("Delete empty directories ?"), m_deleteEmptyComboBox },
              { QT_TR_NOOP("Search in text ?"), m_searchInTextComboBox },
              { QT_TR_NOOP("Files without extension ?"), m_extensionlessComboBox } };
    int row = 0;
    for (const auto &[caption, list] : lists) {
        grid->addWidget(new QLabel(tr(caption), page), row, 0);
        grid->addWidget(list, row++, 1);
    }
    grid->addWidget(new QLabel(tr("File manager:"), page), row, 0);
    grid->addWidget(new QLabel(tr("(relative: ..\\ or %usb%)"), page), row++, 1);
    grid->addWidget(m_fileManagerEdit, row, 0, 1, 2);
    grid->addWidget(browse, row++, 2);
    grid->addWidget(new QLabel(tr("Grid-Lines:"), page), row, 0);
    grid->addWidget(m_gridLinesComboBox, row++, 1);
    grid->addWidget(new QLabel(tr("Start with archiv:"), page), row, 0);
    grid->addWidget(m_startArchiveComboBox, row++, 1);
    column->addLayout(grid);
    column->addStretch();
    return page;
}

QLabel *SettingsDialog::createSample(const char *name, const QString &caption)
{
    auto *panel = new QLabel(caption, this);
    panel->setObjectName(QLatin1String(name));
    makePanel(panel);
    panel->installEventFilter(this);
    return panel;
}

QToolButton *SettingsDialog::createIconButton(const char *name, const QIcon &icon)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    return button;
}

QPushButton *SettingsDialog::createBrowseButton(const char *name)
{
    auto *button = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(), this);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(30, 24);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *SettingsDialog::createEdit(const char *name, FieldKind kind)
{
    QLineEdit *edit = kind == FieldKind::LowerCase ? new LowerCaseEdit(this) : new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumWidth(kind == FieldKind::Short ? 120 : 260);
    return edit;
}

QComboBox *SettingsDialog::createList(const char *name, const QStringList &items, int index)
{
    auto *list = new QComboBox(this);
    list->setObjectName(QLatin1String(name));
    list->addItems(items);
    // A stored value that names no item shows no item, and is stored back as -1.
    list->setCurrentIndex(index >= 0 && index < items.size() ? index : -1);
    return list;
}

void SettingsDialog::fill(const SettingsDialogValues &v)
{
    for (int i = 0; i < 4; ++i)
        m_margins[size_t(i)]->setText(v.margins[size_t(i)]);
    m_viewerPathEdit->setText(v.viewerPath);
    m_viewerExtensionsEdit->setText(v.viewerExtensions);
    m_fileManagerEdit->setText(v.fileManagerPath);
    m_viewerParamsEdit->setText(v.viewerParams);
    m_viewerDelayEdit->setText(v.viewerDelay);
    showSamples();
}

// The samples show the colours with the view font, in its colour; the panels name the fonts.
void SettingsDialog::showSamples()
{
    const QFont font = toQFont(m_values.viewFont);
    const QColor text = toQColor(quint32(m_values.viewFont.color), palette());
    setPanelColours(m_viewColourSample, toQColor(m_values.viewColor, palette()), text);
    setPanelColours(m_editColourSample, toQColor(m_values.editColor, palette()), text);
    // The toolbar's sample keeps its caption readable on a dark colour.
    const QColor toolbar = toQColor(m_values.toolbarColor, palette());
    const QColor caption
        = toolbar.isValid() && toolbar.lightness() < 110 ? QColor(Qt::white) : QColor(Qt::black);
    setPanelColours(m_toolbarColourSample, toolbar, caption);
    m_viewColourSample->setFont(font);
    m_editColourSample->setFont(font);
    m_viewFontPanel->setText(m_values.viewFont.name);
    m_printFontPanel->setText(m_values.printFontName);
}

SettingsDialogValues SettingsDialog::values() const
{
    SettingsDialogValues v = m_values;
    for (int i = 0; i < 4; ++i)
        v.margins[size_t(i)] = repairedMargin(m_margins[size_t(i)]->text(), MarginField(i));
    v.viewerPath = m_viewerPathEdit->text();
    v.viewerExtensions = m_viewerExtensionsEdit->text();
    v.fileManagerPath = m_fileManagerEdit->text();
    v.viewerParams = m_viewerParamsEdit->text();
    v.viewerDelay = m_viewerDelayEdit->text();
    v.gridLines = m_gridLinesComboBox->currentIndex();
    v.folderListCollapsed = m_folderListComboBox->currentIndex();
    v.deleteEmptyFolders = m_deleteEmptyComboBox->currentIndex();
    v.searchInText = m_searchInTextComboBox->currentIndex();
    v.startArchiveMode = m_startArchiveComboBox->currentIndex();
    v.folderInfoMode = m_folderInfoComboBox->currentIndex();
    if (m_extensionlessComboBox->isEnabled())
        v.filesWithoutExtension = m_extensionlessComboBox->currentIndex();
    return v;
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QWidget *main = parentWidget()) {
        const QRect owner = main->window()->frameGeometry();
        move(owner.left() + (owner.width() - frameGeometry().width()) / 2,
            owner.top() + (owner.height() - frameGeometry().height()) / 2);
    }
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter presses the button that has the focus and does nothing elsewhere.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint()))
            sampleClicked(watched);
        return QDialog::eventFilter(watched, event);
    }
    const auto margin = std::find(m_margins.begin(), m_margins.end(), watched);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool entersNext = margin != m_margins.end() || watched == m_gridLinesComboBox
            || watched == m_startArchiveComboBox;
        if (entersNext && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && margin != m_margins.end()) {
        QLineEdit *edit = *margin;
        edit->setText(repairedMargin(edit->text(), MarginField(margin - m_margins.begin())));
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::sampleClicked(QObject *sample)
{
    FontSettings &font = m_values.viewFont;
    if (sample == m_viewColourSample)
        m_values.viewColor = standardViewColor;
    else if (sample == m_editColourSample)
        m_values.editColor = standardEditColor;
    else if (sample == m_toolbarColourSample)
        m_values.toolbarColor = standardToolbarColor;
    else if (sample == m_viewFontPanel)
        font = standardFont(StandardFont::Verdana, font);
    else if (sample == m_proportionalFontLabel)
        font = standardFont(StandardFont::WindowFont, font);
    else if (sample == m_fixedFontLabel)
        font = standardFont(StandardFont::CourierNew, font);
    else if (sample == m_printFontPanel)
        m_values.printFontName = standardPrintFont;
    else
        return;
    showSamples();
}

void SettingsDialog::chooseColour(quint32 *colour)
{
    const QColor initial = toQColor(*colour, palette());
    const QColor held = m_choosers.colour(initial);
    // Unchanged, a stored system colour stays one.
    if (held.isValid() && held != initial)
        *colour = fromQColor(held);
    showSamples();
}

// The font dialog starts from the view font in force, not from a font picked while this
// dialog is open; whatever it holds when it closes (Cancel included) goes to the samples.
void SettingsDialog::chooseViewFont()
{
    FontSettings font = m_viewFontInForce;
    assignQFont(m_choosers.font(toQFont(font)), &font);
    m_values.viewFont = font;
    showSamples();
}

void SettingsDialog::choosePrintFont()
{
    m_values.printFontName = m_choosers.font(QFont(m_printFontInForce)).family();
    showSamples();
}

void SettingsDialog::chooseFile(QLineEdit *edit)
{
    const QString chosen = m_choosers.file(edit->text());
    if (!chosen.isEmpty())
        edit->setText(chosen);
}

void SettingsDialog::repairMarginsAndAccept()
{
    // OK reached without leaving a margin field (its accelerator) finds it repaired too.
    for (int i = 0; i < 4; ++i)
        m_margins[size_t(i)]->setText(repairedMargin(m_margins[size_t(i)]->text(), MarginField(i)));
    accept();
}
