// Keystroke to refreshed label: a key typed into the coin field of card row 2
// runs the change event, the text binding and the synchronous repaint of the
// coin label, all before the key event returns. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.

#include "card_window.h"
#include "edit_box.h"
#include "field_routines.h"
#include "trans_label.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

card_window::CardWindow *g_window = nullptr;

// Reports the median of the per-operation times in microseconds; the mean of
// Google Benchmark hides the shape of a distribution with rare slow paints.
void reportMedian(benchmark::State &state, std::vector<double> &micros)
{
    if (micros.empty())
        return;
    std::nth_element(micros.begin(), micros.begin() + std::ptrdiff_t(micros.size() / 2), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
}

template <typename Operation>
void timeEach(benchmark::State &state, Operation operation)
{
    std::vector<double> micros;
    micros.reserve(1 << 16);
    std::size_t index = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        operation(index++);
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    reportMedian(state, micros);
}

// Types "8" and deletes it again, so every keystroke changes the text.
void BM_KeystrokeToRefreshedLabel(benchmark::State &state)
{
    auto *coin = g_window->control<card_window::EditBox>(u"编辑框11");
    coin->setFocus();
    timeEach(state, [coin](std::size_t index) {
        QTest::keyClick(coin, index % 2 == 0 ? Qt::Key_8 : Qt::Key_Backspace);
    });
    QCoreApplication::processEvents();
}
BENCHMARK(BM_KeystrokeToRefreshedLabel)->Unit(benchmark::kMicrosecond);

// The caption write alone: copy and synchronous back-to-front repaint.
void BM_CaptionWrite(benchmark::State &state)
{
    auto *label = g_window->control<card_window::TransLabel>(u"透明标签2");
    const QString captions[] = {QStringLiteral("+ 88"), QStringLiteral("+ 888")};
    timeEach(state, [&](std::size_t index) { label->setCaption(captions[index % 2]); });
}
BENCHMARK(BM_CaptionWrite)->Unit(benchmark::kMicrosecond);

void BM_CaptionWriteLongest(benchmark::State &state)
{
    auto *label = g_window->control<card_window::TransLabel>(u"透明标签20");
    const QString longest = QStringLiteral("理由 reason ").repeated(3300).left(32766);
    const QString captions[] = {longest, longest + QLatin1Char('8')};
    timeEach(state, [&](std::size_t index) { label->setCaption(captions[index % 2]); });
}
BENCHMARK(BM_CaptionWriteLongest)->Unit(benchmark::kMicrosecond);

// A reason at the field's longest: the label lays out only the lines that
// fit its rectangle, so a keystroke costs about the same as with a short one.
void BM_KeystrokeIntoLongestReason(benchmark::State &state)
{
    auto *reason = g_window->control<card_window::EditBox>(u"编辑框24");
    reason->setFocus();
    reason->setText(QStringLiteral("理由 reason ").repeated(reason->maxLength() / 10).left(reason->maxLength() - 1));
    reason->end(false);
    timeEach(state, [reason](std::size_t index) {
        QTest::keyClick(reason, index % 2 == 0 ? Qt::Key_8 : Qt::Key_Backspace);
    });
    reason->clear();
    QCoreApplication::processEvents();
}
BENCHMARK(BM_KeystrokeIntoLongestReason)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    card_window::CardWindowHandlers handlers;
    handlers.changed = [](card_window::CardWindow &window, card_window::EditBox &field) {
        card_editing::runFieldRoutine(window, field, QString());
    };
    const auto window = card_window::CardWindow::buildAndShow(std::move(handlers));
    if (!window || !QTest::qWaitForWindowExposed(window.get()))
        return 1;
    g_window = window.get();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
