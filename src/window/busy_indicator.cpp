#include "busy_indicator.h"

#include "finally.h"
#include "framework/panel.h"
#include "framework/tcolor.h"

#include <atomic>
#include <exception>
#include <memory>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>

namespace {

// The caption keeps the panel's first 41 pixels, as it has without progress; the progress
// line and the bar with the Stop button take the rest.
constexpr int kCaptionHeight = 41;
constexpr int kProgressHeight = 48;
constexpr int kShowProgressAfterMs = 200;
constexpr int kUpdateEveryMs = 50;
// The bar counts in thousandths, so that any number of files fits its int range.
constexpr int kBarSteps = 1000;

} // namespace

QString GroupedCount(std::size_t count) {
    QString digits = QString::number(static_cast<qulonglong>(count));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

TBusyIndicator::TBusyIndicator(TPanel* panel, QWidget* list)
    : QObject(panel), panel_(panel), list_(list) {
    progressPart_ = new QWidget(panel_);
    progressPart_->setObjectName(QStringLiteral("ProgressPart"));
    // Drawn on the indicator's classic face, whatever the desktop's colours.
    progressPart_->setPalette(ClassicPalette());
    progressPart_->setGeometry(1, kCaptionHeight - 2, panel_->width() - 2, kProgressHeight);
    const int width = progressPart_->width();

    line_ = new QLabel(progressPart_);
    line_->setObjectName(QStringLiteral("ProgressLine"));
    line_->setAlignment(Qt::AlignCenter);
    line_->setGeometry(6, 0, width - 12, 16);

    stop_ = new QPushButton(QStringLiteral("Stop"), progressPart_);
    stop_->setObjectName(QStringLiteral("StopButton"));
    stop_->setGeometry(width - 6 - 52, 20, 52, 23);
    stop_->setAutoDefault(false);
    connect(stop_, &QPushButton::clicked, this, &TBusyIndicator::Stop);

    bar_ = new QProgressBar(progressPart_);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setTextVisible(false);
    bar_->setGeometry(6, 24, stop_->x() - 6 - 6, 15);

    progressPart_->hide();

    // Escape stops the work wherever the focus is in the window; only while work runs.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), panel_->window());
    escape_->setContext(Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &TBusyIndicator::Stop);

    // A click on the outcome shown after the work puts it away.
    panel_->installEventFilter(this);

    showTimer_.setSingleShot(true);
    showTimer_.setInterval(kShowProgressAfterMs);
    connect(&showTimer_, &QTimer::timeout, this, &TBusyIndicator::ShowProgress);
    updateTimer_.setInterval(kUpdateEveryMs);
    connect(&updateTimer_, &QTimer::timeout, this, &TBusyIndicator::UpdateProgress);
}

void TBusyIndicator::Run(const QString& caption, const TWork& work) {
    Q_ASSERT(!Running());
    outcome_ = TWorkOutcome();
    titora::Progress progress;
    const bool listHadFocus = list_->hasFocus();
    panel_->SetCaption(caption);
    panel_->show();
    list_->setEnabled(false);
    panel_->PaintNow();
    progress_ = &progress;
    escape_->setEnabled(true);
    showTimer_.start();

    const titora::Finally restore([&] {
        showTimer_.stop();
        updateTimer_.stop();
        escape_->setEnabled(false);
        progress_ = nullptr;
        HideProgress();
        list_->setEnabled(true);
        panel_->hide();
        // Qt hands the focus of a disabled widget on; the list gets it back, so that its
        // selection shows again where the user left it.
        if (listHadFocus)
            list_->setFocus(Qt::OtherFocusReason);
    });

    std::exception_ptr failure;
    std::atomic<bool> ended{false};
    QEventLoop loop;
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        ended.store(true);
    }));
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    // The loop also ends when the application is told to quit; the work then stops after the
    // file in hand, since nothing may outlive this function.
    const bool stoppedByUser = progress.StopRequested();
    if (!ended.load())
        progress.RequestStop();
    worker->wait();
    // The line last showed the count of up to 50 ms ago; it ends with the count reached.
    outcome_ = {progress.Done(), progress.Total(), stoppedByUser, !progressPart_->isHidden()};
    if (outcome_.showedProgress)
        UpdateProgress();
    if (failure)
        std::rethrow_exception(failure);
}

void TBusyIndicator::ShowOutcome(const QString& text) {
    if (Running())
        return;
    panel_->SetCaption(text);
    panel_->show();
}

bool TBusyIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_ && event->type() == QEvent::MouseButtonPress && !Running()) {
        panel_->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TBusyIndicator::Stop() {
    if (!progress_)
        return;
    progress_->RequestStop();
    stop_->setEnabled(false);
}

void TBusyIndicator::ShowProgress() {
    if (!progress_)
        return;
    panel_->resize(panel_->width(), kCaptionHeight + kProgressHeight);
    panel_->setContentsMargins(0, 0, 0, kProgressHeight);
    stop_->setEnabled(true);
    progressPart_->show();
    UpdateProgress();
    updateTimer_.start();
}

void TBusyIndicator::UpdateProgress() {
    if (!progress_)
        return;
    const std::size_t done = progress_->Done();
    const std::size_t total = progress_->Total();
    QString text;
    if (total == 0) {
        // Still looking for the files: how many there will be is not known yet.
        text = QStringLiteral("%1 found").arg(GroupedCount(done));
        bar_->setRange(0, 0);
    } else {
        text = QStringLiteral("%1 of %2").arg(GroupedCount(done), GroupedCount(total));
        bar_->setRange(0, kBarSteps);
        bar_->setValue(static_cast<int>(static_cast<double>(done) / total * kBarSteps));
    }
    if (text == line_->text())
        return;
    line_->setText(text);
    // What the indicator reports to assistive technology follows what it shows.
    panel_->SetStatusDetail(text);
}

void TBusyIndicator::HideProgress() {
    progressPart_->hide();
    line_->clear();
    bar_->reset();
    panel_->SetStatusDetail(QString());
    panel_->setContentsMargins(0, 0, 0, 0);
    panel_->resize(panel_->width(), kCaptionHeight);
}
