// The drawn frame's costs on a 1920 x 1080 window (offscreen): a resize, which stretches the
// skin, takes the shape and draws everything anew; a hover moving from one caption button
// to the next, with and without the repaint it asks for; and a full repaint, which only
// copies the ready surface. Figures to read, never asserted.
// Usage: frame_bench [--benchmark_filter=...]; QT_SCALE_FACTOR=2 for a 200 % display.

#include "portal/frame/logic/CSkinForm.h"
#include "portal/frame/windows/skinned_frame.h"

#include <QApplication>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

struct FramedWindow
{
    FramedWindow()
    {
        window.setWindowTitle(QStringLiteral("Orvel影视盒"));
        window.setGeometry(0, 0, 1920, 1080);
        window.show();
        form = frame::newSkinForm();
        form->Attach(frame::hwndOf(&window));
        QCoreApplication::processEvents();
    }

    void moveTo(int x, int y)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), window.mapToGlobal(QPointF(x, y)), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    }

    QWidget window;
    std::unique_ptr<frame::CSkinForm> form;
};

std::unique_ptr<FramedWindow> g_framed; // made by the first benchmark, ended before the application

FramedWindow& framed()
{
    if (!g_framed)
        g_framed = std::make_unique<FramedWindow>();
    return *g_framed;
}

// WM_SIZE: new surfaces, nine-part stretch, shape, title, buttons.
void BM_ResizeRedraw(benchmark::State& state)
{
    FramedWindow& f = framed();
    QResizeEvent resize(f.window.size(), f.window.size());
    for (auto _ : state)
        QApplication::sendEvent(&f.window, &resize);
    state.counters["device_px"] = static_cast<double>(f.form->frameSurface().width) * f.form->frameSurface().height;
}
BENCHMARK(BM_ResizeRedraw)->Unit(benchmark::kMillisecond);

// The pointer goes from the close button to the maximize button and back: two buttons
// change state and are drawn on the frame surface, their rectangles are asked to repaint.
void BM_HoverChange(benchmark::State& state)
{
    FramedWindow& f = framed();
    const int w = f.window.width();
    bool onClose = false;
    for (auto _ : state) {
        f.moveTo(onClose ? w - 50 : w - 20, 10);
        onClose = !onClose;
    }
}
BENCHMARK(BM_HoverChange)->Unit(benchmark::kMicrosecond);

// The same, with the repaint of the two buttons done at once.
void BM_HoverChangeWithRepaint(benchmark::State& state)
{
    FramedWindow& f = framed();
    const int w = f.window.width();
    bool onClose = false;
    for (auto _ : state) {
        f.moveTo(onClose ? w - 50 : w - 20, 10);
        f.window.repaint(w - 95, 0, 95, 19);
        onClose = !onClose;
    }
}
BENCHMARK(BM_HoverChangeWithRepaint)->Unit(benchmark::kMicrosecond);

// WM_PAINT of the whole window: the frame surface copied, children painted over it.
void BM_FullRepaint(benchmark::State& state)
{
    FramedWindow& f = framed();
    for (auto _ : state)
        f.window.repaint();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_framed.reset();
    return 0;
}
