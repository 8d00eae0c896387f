#include "progresswindow.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

namespace
{

int g_showDelay = 500;

// How often a shown dialog is brought up to date and events are let in.
constexpr int kLookEveryMs = 100;
// The bar's resolution: totals beyond an int are scaled to it.
constexpr int kBarSteps = 1000;

} // namespace

ProgressWindow::ProgressWindow(QWidget *window, QString caption, QString unit)
    : m_window(window)
    , m_caption(std::move(caption))
    , m_unit(std::move(unit))
    , m_nextLook(g_showDelay)
{
    m_clock.start();
}

ProgressWindow::~ProgressWindow()
{
    delete m_dialog;
}

void ProgressWindow::setShowDelay(int milliseconds)
{
    g_showDelay = std::max(0, milliseconds);
}

int ProgressWindow::showDelay()
{
    return g_showDelay;
}

void ProgressWindow::setUnit(const QString &unit)
{
    m_unit = unit;
}

bool ProgressWindow::step(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    const qint64 now = m_clock.elapsed();
    if (now < m_nextLook)
        return true;
    m_nextLook = now + kLookEveryMs;
    if (!m_dialog)
        show();
    if (!m_dialog)
        return true;
    update(done, total);
    // The one place where events come in while the command runs: the dialog's Cancel and
    // Esc among them.
    QCoreApplication::processEvents();
    return !m_cancelled;
}

void ProgressWindow::show()
{
    if (!m_window)
        return;
    m_dialog = new QProgressDialog(m_window);
    m_dialog->setObjectName(QStringLiteral("ProgressWindow"));
    m_dialog->setWindowTitle(QStringLiteral("Tabulon"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->setRange(0, kBarSteps);
    // The Cancel button, Esc and closing the window all end here.
    const auto cancel = [this] { m_cancelled = true; };
    QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog, cancel);
    QObject::connect(m_dialog, &QDialog::rejected, m_dialog, cancel);
    m_dialog->show();
}

void ProgressWindow::update(qint64 done, qint64 total)
{
    if (total > 0) {
        m_dialog->setRange(0, kBarSteps);
        m_dialog->setValue(int(std::clamp<qint64>(done, 0, total) * kBarSteps / total));
        m_dialog->setLabelText(
            QStringLiteral("%1\n%2 of %3 %4").arg(m_caption).arg(done).arg(total).arg(m_unit));
    } else {
        m_dialog->setRange(0, 0); // a bar that only says something is going on
        m_dialog->setLabelText(m_caption);
    }
}
