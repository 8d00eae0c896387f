#include "progresswindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

namespace
{

ProgressWindow::Timing g_timing;
// The bar's resolution: totals beyond an int are scaled to it.
constexpr int kBarSteps = 1000;

} // namespace

ProgressWindow::ProgressWindow(QWidget *window, QString caption, QString unit)
    : m_window(window)
    , m_caption(std::move(caption))
    , m_unit(std::move(unit))
    , m_nextLook(g_timing.showAfter)
{
    m_clock.start();
}

ProgressWindow::~ProgressWindow()
{
    if (!m_dialog)
        return;
    // The window it covered gets the keys again, also where no window manager hands the
    // activation back (the dialog, hidden by Esc, may have taken it along).
    QWidget *active = QApplication::activeWindow();
    const bool handBack = !active || active == m_dialog;
    delete m_dialog;
    if (handBack && m_window)
        m_window->window()->activateWindow();
}

void ProgressWindow::setTiming(const Timing &timing)
{
    g_timing = { std::max(0, timing.showAfter), std::max(0, timing.lookEvery) };
}

ProgressWindow::Timing ProgressWindow::timing()
{
    return g_timing;
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
    m_nextLook = now + g_timing.lookEvery;
    if (!m_dialog)
        show();
    if (!m_dialog)
        return true;
    update(done, total);
    // The one place where events come in while the command runs: the dialog's Cancel and
    // Esc among them.
    QApplication::processEvents();
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
        m_dialog->setLabelText(QCoreApplication::translate("Progress", "%1\n%2 of %3 %4")
                                   .arg(m_caption)
                                   .arg(done)
                                   .arg(total)
                                   .arg(m_unit));
    } else {
        m_dialog->setRange(0, 0); // a bar that only says something is going on
        m_dialog->setLabelText(m_caption);
    }
}
