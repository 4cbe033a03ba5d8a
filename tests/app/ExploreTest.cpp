// Exploring a figure of the plane in the window: the gestures and the views
// they make, drawing off the interface thread with cancellation, the
// picture's galleri-render arguments, Copy view and dragging the picture out.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "app/Explorer.h"
#include "app/FormTelvarn.h"
#include "app/PictureView.h"
#include "app/ZoomVideo.h"
#include "commands/About.h"
#include "commands/Commands.h"
#include "escape/SmoothColouring.h"
#include "render/Arguments.h"
#include "render/DrawStill.h"
#include "surface/HeadlessPlatform.h"
#include "surface/TextRaster.h"
#include "view/ArgumentWords.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;
// The size as galleri-render takes it.
const std::string kSize = "--size 200x150 ";

// What galleri-render draws for its arguments "--size WxH [--view V]
// [--iterations N] [colouring] ITEM", read as galleri-render reads them.
Bitmap Redraw(const std::string& arguments) {
    const ParseResult parsed = ParseArguments(SplitArguments(arguments));
    if (!parsed.Ok()) {
        throw std::invalid_argument(parsed.error);
    }
    const RenderRequest& r = parsed.request;
    HeadlessPlatform platform(r.width, r.height);
    platform.textOut = RasterText;
    Surface surface(platform);
    DrawStill(surface, r);
    return surface.Picture();
}

// Holds the render thread's first `hold` jobs until they are cancelled or
// `release` is set.
struct JobGate {
    int hold = 1;
    std::atomic<int> jobs{0};
    std::atomic<bool> release{false};
    ViewWorker::Gate Fn() {
        return [this](const std::atomic<bool>& cancel) {
            if (++jobs > hold) {
                return;
            }
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!cancel && !release && std::chrono::steady_clock::now() < give_up) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
    }
};

void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::KeyboardModifiers modifiers = {}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to, Qt::MouseButton button,
          Qt::KeyboardModifiers modifiers = {}) {
    Mouse(w, QEvent::MouseButtonPress, from, button, modifiers);
    Mouse(w, QEvent::MouseMove, (from + to) / 2, button, modifiers);
    Mouse(w, QEvent::MouseMove, to, button, modifiers);
    Mouse(w, QEvent::MouseButtonRelease, to, button, modifiers);
}

void Click(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, at, button);
    Mouse(w, QEvent::MouseButtonRelease, at, button);
}

void Wheel(QWidget* w, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(w, key, modifiers);
}

void Keys(QWidget* w, std::initializer_list<Qt::Key> keys) {
    for (const Qt::Key key : keys) {
        Key(w, key);
    }
}

using Act = std::function<void(QWidget*)>;
using Expect = std::function<PlaneRect(const PlaneRect& own, const ViewFrame&)>;

struct GestureCase {
    const char* name;
    const char* item;
    Act act;
    Expect expect;
    QSize shown{kWidth, kHeight};  // the picture control's size while exploring
};

PlaneRect Zoom(const PlaneRect& v, const ViewFrame& f, double factor) {
    return ZoomAbout(v, f, PictureCentre(f), factor);
}

const std::vector<GestureCase>& GestureCases() {
    // clang-format off
    static const std::vector<GestureCase> cases = {
        {"wheel in", "m11", [](QWidget* w) { Wheel(w, {40, 30}, 120); },
         [](auto& own, auto& f) { return ZoomAbout(own, f, {40, 30}, std::sqrt(2.0)); }},
        {"wheel out", "j11", [](QWidget* w) { Wheel(w, {100, 90}, -240); },
         [](auto& own, auto& f) { return ZoomAbout(own, f, {100, 90}, 0.5); }},
        {"click", "m11", [](QWidget* w) { Click(w, {50, 60}); },
         [](auto& own, auto& f) { return ZoomAbout(own, f, {50, 60}, 2); }},
        {"band up-left", "m131", [](QWidget* w) { Drag(w, {120, 100}, {30, 20}, Qt::LeftButton); },
         [](auto& own, auto& f) {
             const auto [a, b] = BandWithAspect(f, {120, 100}, {30, 20});
             return DragView(own, f, a, b); }},
        {"band, divisor extra", "mandeldragon2",
         [](QWidget* w) { Drag(w, {10, 15}, {90, 70}, Qt::LeftButton); },
         [](auto& own, auto& f) {
             const auto [a, b] = BandWithAspect(f, {10, 15}, {90, 70});
             return DragView(own, f, a, b); }},
        {"square pixels", "m21", [](QWidget* w) { Key(w, Qt::Key_S); },
         [](auto& own, auto& f) { return SquarePixels(own, f); }},
        {"right-drag pan", "jd11", [](QWidget* w) { Drag(w, {80, 60}, {50, 70}, Qt::RightButton); },
         [](auto& own, auto& f) { return PanByPixels(own, f, -30, 10); }},
        {"arrows", "m11", [](QWidget* w) { Keys(w, {Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left}); },
         [](auto& own, auto&) {
             return PanByEighths(PanByEighths(PanByEighths(PanByEighths(own, 1, 0), 0, 1), 0, -1), -1, 0); }},
        {"plus, minus", "binarydecomposition1",
         [](QWidget* w) { Keys(w, {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Minus}); },
         [](auto& own, auto& f) { return Zoom(Zoom(Zoom(own, f, 2), f, 2), f, 0.5); }},
        {"backspace", "m11", [](QWidget* w) { Keys(w, {Qt::Key_Plus, Qt::Key_Backspace}); },
         [](auto& own, auto&) { return own; }},
        {"alt+left, alt+right", "mandelphoenix1",
         [](QWidget* w) {
             Key(w, Qt::Key_Plus);
             Key(w, Qt::Key_Left, Qt::AltModifier);
             Key(w, Qt::Key_Right, Qt::AltModifier); },
         [](auto& own, auto& f) { return Zoom(own, f, 2); }},
        {"mouse back, forward, back", "m11",
         [](QWidget* w) {
             Key(w, Qt::Key_Minus);
             for (auto b : {Qt::BackButton, Qt::ForwardButton, Qt::BackButton}) { Click(w, {5, 5}, b); } },
         [](auto& own, auto&) { return own; }},
        {"home, then back", "m11",
         [](QWidget* w) { Keys(w, {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Home, Qt::Key_Backspace}); },
         [](auto& own, auto& f) { return Zoom(Zoom(own, f, 2), f, 2); }},
        {"click on a stretched picture", "m11", [](QWidget* w) { Click(w, {100, 60}); },
         [](auto& own, auto& f) { return ZoomAbout(own, f, {50, 30}, 2); },
         QSize(2 * kWidth, 2 * kHeight)},
    };
    // clang-format on
    return cases;
}

void Trigger(TFormTelvarn& form, const char* action) {
    form.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

void WaitIdle(TFormTelvarn& form) {
    QTRY_VERIFY_WITH_TIMEOUT(!form.Exploring().Drawing(), 20000);
}

void WriteFile(const QString& path, const char* text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// The palette files of the colouring cases, in the test's folder.
void WritePalettes(const QDir& dir) {
    WriteFile(dir.filePath(QStringLiteral("my fire.map")), "0 0 0\n255 128 0\n255 255 200\n");
    WriteFile(dir.filePath(QStringLiteral("two.ugr")),
              "First {\ngradient:\n  title=\"First\"\n  index=0 color=255\n"
              "  index=200 color=65280\n}\n"
              "Second One { ; the one chosen\ngradient:\n  index=0 color=16711680\n"
              "  index=300 color=16777215\n}\n");
    WriteFile(dir.filePath(QStringLiteral("bad.map")), "0 0 0\n300 0 0\n");
}

struct ColourCase {
    const char* name;
    std::function<void(TFormTelvarn&, const QDir&)> act;
    std::vector<std::string> arguments;  // parts of the picture's text, in order
    const char* status;                  // in the status line
    const char* error = nullptr;         // in the one message shown
};

const std::vector<ColourCase>& ColourCases() {
    // clang-format off
    static const std::vector<ColourCase> cases = {
        {"palette fire", [](TFormTelvarn& f, const QDir&) { Trigger(f, "palette_fire"); },
         {"--size 200x150 --colouring smooth --palette fire m11"}, "smooth, palette fire, density 20"},
        // dusk after ice colours ice's values anew; D draws again, "." moves
        // the values on and draws the exact picture after.
        {"ice, dusk, D, .",
         [](TFormTelvarn& f, const QDir&) {
             Trigger(f, "smoothColours");
             Trigger(f, "palette_ice");
             WaitIdle(f);
             Trigger(f, "palette_dusk");
             QVERIFY(!f.Exploring().Drawing());
             QVERIFY(f.DrawingSurface().Picture() == Redraw(f.Exploring().PictureArguments()));
             Key(f.Img(), Qt::Key_D);
             WaitIdle(f);
             Key(f.Img(), Qt::Key_Period); },
         {"--colouring smooth --palette dusk --density 10 --offset 0.015625 m11"},
         "smooth, palette dusk, density 10, offset 0.015625"},
        {"a palette file with a blank in its name",
         [](TFormTelvarn& f, const QDir& d) {
             QVERIFY(f.OpenPalette(d.filePath(QStringLiteral("my fire.map")))); },
         {"--colouring smooth --palette '", "my fire.map' --palette-checksum ", " m11"},
         "smooth, palette my fire.map, density 20"},
        {"the second gradient of a .ugr file",
         [](TFormTelvarn& f, const QDir& d) {
             f.chooseGradient = [](const QStringList& names) {
                 return names == QStringList{"First", "Second One"} ? names[1] : QString();
             };
             QVERIFY(f.OpenPalette(d.filePath(QStringLiteral("two.ugr")))); },
         {"two.ugr:Second One' --palette-checksum "}, "palette two.ugr:Second One"},
        {"a malformed palette file",
         [](TFormTelvarn& f, const QDir& d) {
             QVERIFY(!f.OpenPalette(d.filePath(QStringLiteral("bad.map")))); },
         {"--size 200x150 m11"}, "815 iterations", "bad.map' line 2: "},
        {"supersample 2x2",
         [](TFormTelvarn& f, const QDir&) {
             Trigger(f, "palette_grey");
             Trigger(f, "supersample2"); },
         {"--colouring smooth --palette grey --supersample 2 m11"}, "palette grey, density 20, supersample 2x2"},
        {"a deep view",
         [](TFormTelvarn& f, const QDir&) {
             Trigger(f, "palette_ocean");
             const ParsedDeepView deep = ParseDeepView(
                 "-0.7436456586907319187764135917511951330177,"
                 "-0.7436456586907318787764135917511951330177,"
                 "0.1318245152531043768568233282564282889875,"
                 "0.1318245152531044068568233282564282889875");
             QVERIFY(f.Exploring().ShowLocation(ExploreView(*deep.view), 3000)); },
         {"--iterations 3000 --colouring smooth --palette ocean m11"}, "palette ocean"},
        // Cycled from stored values, then drawn exactly where it stopped.
        {"cycling",
         [](TFormTelvarn& f, const QDir&) {
             Trigger(f, "palette_rainbow");
             WaitIdle(f);
             Key(f.Img(), Qt::Key_C);
             QTRY_VERIFY(f.Exploring().Colouring().offset >= 0.03);
             Key(f.Img(), Qt::Key_C); },
         {"--colouring smooth --palette rainbow --offset "}, "smooth, palette rainbow, density 20, offset"},
    };
    // clang-format on
    return cases;
}

}  // namespace

class ExploreTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void gesturesMakeViews_data();
    void gesturesMakeViews();
    void newGestureCancelsView();
    void menuCommandCancelsView();
    void escapeStopsViewAndSavingFinishesIt();
    void savingWhileViewIsDrawn();
    void pictureArguments_data();
    void pictureArguments();
    void otherFiguresIgnoreGestures();
    void wheelZoomsPastTheFloor();
    void openLocationDrawsItsView();
    void statusLineSaysWhereYouAre();
    void notesSayWhatHappened();
    void helpShowsKeysAndAbout();
    void bracketsScaleTheBudget();
    void copyViewPutsCommandLineOnClipboard();
    void dragOutOffersImageAndPngFile();
    void colouringRedrawsFromItsText_data();
    void colouringRedrawsFromItsText();
    void zoomVideoFromOwnViewToTheOneShown();

  private:
    void SetClientSize(int w, int h) {
        form->resize(w, h + form->MenuBar()->height() + form->statusBar()->height());
        QTRY_COMPARE(form->Img()->size(), QSize(w, h));
    }
    void Run(const char* item, std::function<void(int)> atMessage = nullptr) {
        int point = 0;
        form->Host().afterMessages = [&] {
            if (atMessage) {
                atMessage(++point);
            }
        };
        form->findChild<QAction*>(QString::fromLatin1(item))->trigger();
        form->Host().afterMessages = nullptr;
        // The budget stays the figure's own unless a test asks for the
        // automatic one.
        explorer().SetAutoBudget(autoBudget);
    }
    // The render thread holds the first view at the gate.
    void WaitHeld() { QTRY_COMPARE(gate.jobs.load(), 1); }
    void WaitDrawn() { QTRY_VERIFY_WITH_TIMEOUT(!explorer().Drawing(), 20000); }
    Explorer& explorer() { return form->Exploring(); }
    PictureView* img() { return form->Img(); }
    const Bitmap& picture() { return form->DrawingSurface().Picture(); }

    std::unique_ptr<TFormTelvarn> form;
    std::vector<QString> messages;
    bool autoBudget = false;
    JobGate gate;
};

void ExploreTest::init() {
    form = std::make_unique<TFormTelvarn>();
    messages.clear();
    form->report = [this](QMessageBox::Icon, const QString& text) { messages.push_back(text); };
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    SetClientSize(kWidth, kHeight);
    gate.jobs = 0;
    gate.release = false;
    autoBudget = false;
}

void ExploreTest::cleanup() {
    form.reset();
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void ExploreTest::gesturesMakeViews_data() {
    QTest::addColumn<int>("row");
    for (size_t k = 0; k < GestureCases().size(); ++k) {
        QTest::newRow(GestureCases()[k].name) << static_cast<int>(k);
    }
}

void ExploreTest::gesturesMakeViews() {
    QFETCH(int, row);
    const GestureCase& c = GestureCases()[row];
    Run(c.item);
    const PlaneFigure figure = *FindCommand(c.item)->Plane();
    SetClientSize(c.shown.width(), c.shown.height());
    c.act(img());
    WaitDrawn();
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0]));

    const ViewFrame frame{kWidth, kHeight, figure.scan.divisorExtra};
    const PlaneRect expected = c.expect(figure.own, frame);
    QVERIFY(explorer().CurrentView().has_value());
    QVERIFY2(SameRect(*explorer().CurrentView(), expected),
             FormatView(*explorer().CurrentView()).c_str());
    // The picture is the one galleri-render draws from the picture's own
    // arguments, which name this view; the plane window holds it as a run
    // of it would.
    const std::string arguments = explorer().PictureArguments();
    QCOMPARE(arguments, RenderArguments(c.item, kWidth, kHeight, expected, figure.own));
    QVERIFY(picture() == Redraw(arguments));
    const Surface& s = form->DrawingSurface();
    if (figure.storesWindow) {
        QVERIFY(SameRect({s.PlaneLeft, s.PlaneRight, s.PlaneBottom, s.PlaneTop}, expected));
    }
    QCOMPARE(img()->ViewImage(), ToDisplayImage(picture()));
    QVERIFY(img()->Note().startsWith(
        QString::fromStdString(FormatZoom(ZoomFactor(expected, figure.own)))));
}

void ExploreTest::newGestureCancelsView() {
    Run("m11");
    explorer().SetJobGate(gate.Fn());
    QSignalSpy drawn(&explorer(), &Explorer::viewDrawn);
    Key(img(), Qt::Key_Plus);
    WaitHeld();
    // The first view is held on the render thread: the window takes input,
    // and shows the old picture twice as large about the centre.
    QVERIFY(explorer().Drawing());
    QVERIFY(form->isEnabled());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(img()->ViewPlace(), QRectF(-kWidth / 2.0, -kHeight / 2.0, 2 * kWidth, 2 * kHeight));
    Key(img(), Qt::Key_Plus);
    WaitDrawn();
    QCOMPARE(drawn.count(), 1);  // the first view was given up
    const PlaneFigure figure = *FindCommand("m11")->Plane();
    const ViewFrame frame{kWidth, kHeight, 0};
    QVERIFY(SameRect(*explorer().CurrentView(), Zoom(Zoom(figure.own, frame, 2), frame, 2)));
    QVERIFY(picture() == Redraw(explorer().PictureArguments()));
}

void ExploreTest::menuCommandCancelsView() {
    Run("m11");
    const Bitmap menuPicture = picture();
    explorer().SetJobGate(gate.Fn());
    QSignalSpy drawn(&explorer(), &Explorer::viewDrawn);
    Key(img(), Qt::Key_Plus);
    WaitHeld();
    // The menu command runs as ever: disabled window, hourglass, no view.
    bool asEver = true;
    Run("m11", [&](int) {
        asEver = asEver && !form->isEnabled() && QGuiApplication::overrideCursor() != nullptr &&
                 !explorer().Drawing() && !explorer().Explorable();
    });
    QVERIFY(asEver);
    QCoreApplication::processEvents();
    QCOMPARE(drawn.count(), 0);
    QVERIFY(picture() == menuPicture);
    QVERIFY(SameRect(*explorer().CurrentView(), FindCommand("m11")->Plane()->own));
    QCOMPARE(explorer().History()->Size(), size_t{1});  // a new history
}

void ExploreTest::escapeStopsViewAndSavingFinishesIt() {
    Run("m11");
    const Bitmap menuPicture = picture();
    explorer().SetJobGate(gate.Fn());
    Key(img(), Qt::Key_Plus);
    WaitHeld();
    QTest::keyClick(form->windowHandle(), Qt::Key_Escape);
    QVERIFY(!explorer().Drawing());
    QVERIFY(img()->Note().contains(QStringLiteral("stopped")));
    QVERIFY(picture() == menuPicture);
    QCOMPARE(explorer().PictureArguments(), kSize + "m11");

    // "spara bild" saves the current view: what is left of it is drawn first.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    form->chooseSaveFile = [&] { return path; };
    form->findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    QVERIFY(messages.empty());
    const ViewFrame frame{kWidth, kHeight, 0};
    const PlaneRect zoomed = Zoom(FindCommand("m11")->Plane()->own, frame, 2);
    QVERIFY(picture() == Redraw(RenderArguments("m11", kWidth, kHeight, zoomed,
                                                FindCommand("m11")->Plane()->own)));
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), ToDisplayImage(picture()));
}

void ExploreTest::savingWhileViewIsDrawn() {
    Run("j11");
    explorer().SetJobGate(gate.Fn());
    Drag(img(), {20, 30}, {100, 90}, Qt::LeftButton);
    WaitHeld();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    bool drawingWhileAsked = false;
    form->chooseSaveFile = [&] {
        drawingWhileAsked = explorer().Drawing();
        gate.release = true;
        return path;
    };
    form->findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    QVERIFY(drawingWhileAsked);
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages.front()));
    QVERIFY(!explorer().Drawing());
    // The file holds the exact picture that the galleri-render arguments in
    // its Galleri text draw.
    const QImage saved(path);
    const std::string arguments = saved.text(QStringLiteral("Galleri")).toStdString();
    QCOMPARE(arguments, explorer().PictureArguments());
    QVERIFY(arguments.find("--view") != std::string::npos);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), ToDisplayImage(Redraw(arguments)));
}

void ExploreTest::pictureArguments_data() {
    // Commands run in turn; whether the last picture has arguments.
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("stopLast");
    QTest::addColumn<bool>("hasArguments");
    QTest::newRow("m_1") << QStringList{"m11"} << false << true;
    QTest::newRow("m_1 stopped") << QStringList{"m11"} << true << false;
    QTest::newRow("lorenz_1") << QStringList{"lorenz11"} << false << true;
    QTest::newRow("träd after lorenz_1") << QStringList{"lorenz11", "trd1"} << false << true;
    QTest::newRow("sierpinski first") << QStringList{"m11", "sierpinskitriangle1"} << false << true;
    QTest::newRow("sierpinski again")
        << QStringList{"sierpinskitriangle1", "sierpinskitriangle1"} << false << false;
    QTest::newRow("snowflake after breastplate")
        << QStringList{"faraosbrstplatta1", "snowflake1"} << false << true;
}

void ExploreTest::pictureArguments() {
    QFETCH(QStringList, items);
    QFETCH(bool, stopLast);
    QFETCH(bool, hasArguments);
    for (qsizetype k = 0; k < items.size(); ++k) {
        const bool stop = stopLast && k + 1 == items.size();
        Run(qPrintable(items[k]), [&](int) {
            if (stop) {
                form->DrawingSurface().RequestAbort();
            }
        });
    }
    const std::string arguments = explorer().PictureArguments();
    QCOMPARE(!arguments.empty(), hasArguments);
    if (hasArguments) {
        QCOMPARE(arguments, kSize + items.last().toStdString());
        QVERIFY(picture() == Redraw(arguments));
    }
}

void ExploreTest::otherFiguresIgnoreGestures() {
    for (const char* item : {"lorenz11", "snowflake1", "bifurcation11"}) {
        Run(item);
        const Bitmap before = picture();
        Wheel(img(), {40, 40}, 120);
        Click(img(), {50, 50});
        Drag(img(), {10, 10}, {90, 80}, Qt::LeftButton);
        Drag(img(), {10, 10}, {90, 80}, Qt::RightButton);
        for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Left, Qt::Key_Backspace, Qt::Key_Home}) {
            Key(img(), key);
        }
        QVERIFY(!explorer().Explorable());
        QVERIFY(!explorer().Drawing());
        QVERIFY(picture() == before);
        QVERIFY(img()->Note().isEmpty());
    }
}

// The wheel alone zooms past a double's floor with no refusal and no jump:
// the budget rises by itself, the note shows the depth, and the saved
// picture is the one galleri-render draws from the file's text.
void ExploreTest::wheelZoomsPastTheFloor() {
    autoBudget = true;
    Run("m11");
    // Near the seahorse valley's spiral, whose boundary has detail at every
    // depth, with the cursor on the picture's centre.
    const double re = -0.743643887037158704752191506114774,
                 im = 0.131825904205311970493132056385139;
    QVERIFY(explorer().ShowLocation(PlaneRect{re - 1e-9, re + 1e-9, im - 0.75e-9, im + 0.75e-9},
                                    std::nullopt));
    const QPoint at(kWidth / 2, kHeight / 2);
    bool crossed = false;
    for (int k = 0; k < 50; ++k) {
        Wheel(img(), at, 120);
        QVERIFY2(!img()->Note().startsWith(QStringLiteral("cannot")), qPrintable(img()->Note()));
        crossed = crossed || explorer().CurrentExploreView()->Deep();
    }
    WaitDrawn();
    QVERIFY(crossed && explorer().CurrentExploreView()->Deep());
    QCOMPARE(ZoomText(*explorer().CurrentExploreView(), FindCommand("m11")->Plane()->own),
             std::string("x 5.4e16"));
    QVERIFY(explorer().Budget() > 815);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.png"));
    form->chooseSaveFile = [&] { return path; };
    form->findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages.front()));
    const QImage saved(path);
    const std::string arguments = saved.text(QStringLiteral("Galleri")).toStdString();
    QVERIFY2(arguments.find("--iterations") != std::string::npos, arguments.c_str());
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), ToDisplayImage(Redraw(arguments)));
    // Zooming out comes back above the floor, to views of doubles.
    for (int k = 0; k < 110 && explorer().CurrentExploreView()->Deep(); ++k) {
        Wheel(img(), at, -120);
    }
    QVERIFY(!explorer().CurrentExploreView()->Deep());
    WaitDrawn();
}

// A location file and a saved picture open as views.
void ExploreTest::openLocationDrawsItsView() {
    QTemporaryDir dir;
    const QString kfr = dir.filePath(QStringLiteral("spot.kfr"));
    {
        QFile file(kfr);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "Re: -0.743643887037158704752191506114774\n"
            "Im: 0.131825904205311970493132056385139\n"
            "Zoom: 2e20\nIterations: 3000\n");
    }
    QVERIFY2(form->OpenLocation(kfr), messages.empty() ? "" : qPrintable(messages.front()));
    WaitDrawn();
    QVERIFY(explorer().CurrentExploreView()->Deep());
    QCOMPARE(explorer().Budget(), int64_t{3000});
    const std::string arguments = explorer().PictureArguments();
    QVERIFY(picture() == Redraw(arguments));
    // Saved, then opened after another figure: the same view and picture.
    const QString png = dir.filePath(QStringLiteral("spot.png"));
    form->chooseSaveFile = [&] { return png; };
    form->findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    Run("j11");
    QVERIFY(form->OpenLocation(png));
    WaitDrawn();
    QCOMPARE(explorer().PictureArguments(), arguments);
    // A file that is neither says why, and nothing changes.
    const QString bad = dir.filePath(QStringLiteral("bad.kfr"));
    {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Re: x\n");
    }
    QVERIFY(!form->OpenLocation(bad));
    QCOMPARE(messages.size(), size_t{1});
    QCOMPARE(explorer().PictureArguments(), arguments);
    // The dragon maps' deep views end where a double's exponent does.
    Run("jd101");
    const ParsedDeepView tooDeep = ParseDeepView("0,1e-290,0,1e-290");
    QVERIFY(!explorer().ShowLocation(ExploreView(*tooDeep.view), std::nullopt));
    QVERIFY2(img()->Note().startsWith(QStringLiteral("cannot zoom further")),
             qPrintable(img()->Note()));
}

// The status line: the figure, the point under the cursor by the view
// arithmetic, the zoom, the budget and the time; the menu's status tips.
void ExploreTest::statusLineSaysWhereYouAre() {
    QVERIFY(form->StatusLine()->text().contains(QStringLiteral("F1")));
    Run("m11");
    Mouse(img(), QEvent::MouseMove, {50, 40}, Qt::NoButton);
    const ViewFrame frame{kWidth, kHeight, 0};
    const std::string point = FormatPlanePoint(*explorer().CurrentExploreView(), frame, {50, 40});
    const QString text = form->StatusLine()->text();
    QVERIFY2(text.startsWith(QStringLiteral("m_1   ") + QString::fromStdString(point) +
                             QStringLiteral("   x 1   815 iterations   ")),
             qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral(" s")), qPrintable(text));
    QVERIFY(form->findChild<QAction*>(QStringLiteral("j11"))
                ->statusTip()
                .contains(QStringLiteral("dust")));
}

// A stopped figure, a copy, a save, a Julia set that is dust, zooming out
// too far and a redraw at the window's size each leave a note.
void ExploreTest::notesSayWhatHappened() {
    Run("m11", [&](int point) {
        if (point == 3) {
            form->DrawingSurface().RequestAbort();
        }
    });
    QVERIFY2(img()->Note().startsWith(QStringLiteral("stopped after ")) &&
                 img()->Note().endsWith(QStringLiteral(" columns")),
             qPrintable(img()->Note()));
    Run("jd21");
    QVERIFY2(img()->Note().contains(QStringLiteral("dust")), qPrintable(img()->Note()));
    Run("m51");
    form->CopyPicture();
    QCOMPARE(img()->Note(), QStringLiteral("picture copied"));
    QTemporaryDir dir;
    QCOMPARE(QFileInfo(form->ProposedSaveName()).fileName(), QStringLiteral("m_5.jpg"));
    form->chooseSaveFile = [&] { return dir.filePath(QStringLiteral("bild.png")); };
    form->findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    QCOMPARE(img()->Note(), QStringLiteral("saved bild.png"));
    QCOMPARE(QFileInfo(form->ProposedSaveName()).absolutePath(), QDir(dir.path()).absolutePath());
    for (int k = 0; k < 6; ++k) {
        Key(img(), Qt::Key_Minus);
    }
    QVERIFY2(img()->Note().startsWith(QStringLiteral("zoomed out as far as it goes")),
             qPrintable(img()->Note()));
    QVERIFY(ZoomFactor(*explorer().CurrentView(), FindCommand("m51")->Plane()->own) >= 1.0 / 16);
    // R: the view drawn again at the picture control's present size.
    SetClientSize(kWidth + 40, kHeight);
    Key(img(), Qt::Key_R);
    WaitDrawn();
    QCOMPARE(picture().Width(), kWidth + 40);
    QVERIFY(picture() == Redraw(explorer().PictureArguments()));
}

// F1 and the Help menu: every key of the table, and the versions.
void ExploreTest::helpShowsKeysAndAbout() {
    const QList<QAction*> bar = form->MenuBar()->actions();
    QCOMPARE(bar.last()->menu()->objectName(), QStringLiteral("helpMenu"));
    QTest::keyClick(img(), Qt::Key_F1);
    auto* keys = form->findChild<QDialog*>(QStringLiteral("keysDialog"));
    QVERIFY(keys != nullptr && keys->isVisible());
    const QString text = keys->findChild<QTextBrowser*>()->toPlainText();
    for (const KeyHelp& k : KeysAndGestures()) {
        QVERIFY2(text.contains(QString::fromUtf8(k.keys)), k.keys);
    }
    form->findChild<QAction*>(QStringLiteral("about"))->trigger();
    auto* about = form->findChild<QDialog*>(QStringLiteral("aboutDialog"));
    QVERIFY(about != nullptr && about->isVisible());
    const QString aboutText = about->findChild<QTextBrowser*>()->toPlainText();
    QVERIFY2(aboutText.contains(QStringLiteral("MPFR")) &&
                 aboutText.contains(QString::fromLatin1(qVersion())) &&
                 aboutText.contains(QStringLiteral("GNU General Public License, version 3")),
             qPrintable(aboutText));
}

// ] doubles the iteration budget and [ halves it, never below the figure's
// own; the picture is the reference's with that budget, its text says so,
// and Home returns to the menu command's picture.
void ExploreTest::bracketsScaleTheBudget() {
    Run("m11");
    const Bitmap own = picture();
    Keys(img(), {Qt::Key_Plus, Qt::Key_BracketRight, Qt::Key_BracketRight});
    WaitDrawn();
    QCOMPARE(explorer().Budget(), int64_t{815 * 4});
    QVERIFY2(img()->Note().contains(QStringLiteral("3260 iterations")), qPrintable(img()->Note()));
    const std::string arguments = explorer().PictureArguments();
    QVERIFY2(arguments.find("--iterations 3260") != std::string::npos, arguments.c_str());
    QVERIFY(picture() == Redraw(arguments));
    Keys(img(), {Qt::Key_BracketLeft, Qt::Key_BracketLeft, Qt::Key_BracketLeft});
    WaitDrawn();
    QCOMPARE(explorer().Budget(), int64_t{815});
    QVERIFY(img()->Note().contains(QStringLiteral("the figure's own iterations")));
    Keys(img(), {Qt::Key_BracketRight, Qt::Key_Home});
    WaitDrawn();
    QCOMPARE(explorer().Budget(), int64_t{815});
    QVERIFY(picture() == own);
    QCOMPARE(explorer().PictureArguments(), kSize + "m11");
}

void ExploreTest::copyViewPutsCommandLineOnClipboard() {
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    Run("m11");
    // The run disabled the window; the keys of exploring reach the picture
    // again.
    QCOMPARE(QApplication::focusWidget(), img());
    Drag(img(), {30, 20}, {70, 50}, Qt::LeftButton);
    QTest::keyClick(form->windowHandle(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    // Runnable as it stands; the view reads back to the very same numbers.
    const QString line = QGuiApplication::clipboard()->text();
    const QStringList words = line.split(QLatin1Char(' '));
    QCOMPARE(words.size(), 6);
    QCOMPARE(words[0], QStringLiteral("galleri-render"));
    QCOMPARE(words[3], QStringLiteral("--view"));
    QVERIFY(SameRect(*ParseView(words[4].toStdString()).view, *explorer().CurrentView()));
    QCOMPARE(line.toStdString(), explorer().CommandLine());

    Run("lorenz11");  // other figures: the figure at its size
    form->findChild<QAction*>(QStringLiteral("copyView"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromStdString("galleri-render " + kSize + "lorenz11"));
}

void ExploreTest::dragOutOffersImageAndPngFile() {
    std::vector<std::unique_ptr<QMimeData>> drags;
    explorer().startDrag = [&](std::unique_ptr<QMimeData> mime) {
        drags.push_back(std::move(mime));
    };
    Run("m11");
    Drag(img(), {20, 20}, {60, 60}, Qt::LeftButton);  // a plain drag explores
    QCOMPARE(drags.size(), size_t{0});
    WaitDrawn();
    for (const char* item : {"", "", "lorenz11"}) {
        if (*item != '\0') {
            Run(item);
        }
        Drag(img(), {20, 20}, {60, 60}, Qt::LeftButton, Qt::ControlModifier);
        QVERIFY(!drags.empty());
        const QMimeData& mime = *drags.back();
        QVERIFY(mime.hasImage());
        QCOMPARE(qvariant_cast<QImage>(mime.imageData()), ToDisplayImage(picture()));
        QVERIFY(mime.hasFormat(QStringLiteral("text/uri-list")));
        QCOMPARE(mime.urls().size(), 1);
        const QString file = mime.urls()[0].toLocalFile();
        QVERIFY2(file.endsWith(QStringLiteral(".png")), qPrintable(file));
        QCOMPARE(QImage(file).convertToFormat(QImage::Format_RGB32), ToDisplayImage(picture()));
    }
    // Each drag has a file of its own.
    QVERIFY(drags[0]->urls()[0] != drags[1]->urls()[0]);
}

void ExploreTest::colouringRedrawsFromItsText_data() {
    QTest::addColumn<int>("row");
    for (size_t k = 0; k < ColourCases().size(); ++k) {
        QTest::newRow(ColourCases()[k].name) << static_cast<int>(k);
    }
}

// Each choice of the Colour menu and its keys draws the view again in its
// colours; the picture's text says so and draws the same picture, and Open
// location of the saved picture brings the colours back.
void ExploreTest::colouringRedrawsFromItsText() {
    QFETCH(int, row);
    const ColourCase& c = ColourCases()[row];
    QTemporaryDir folder;
    const QDir dir(folder.path());
    WritePalettes(dir);
    Run("m11");
    c.act(*form, dir);
    WaitDrawn();
    if (c.error != nullptr) {
        QCOMPARE(messages.size(), size_t{1});
        QVERIFY2(messages[0].contains(QString::fromUtf8(c.error)), qPrintable(messages[0]));
        messages.clear();
    }
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0]));
    const std::string arguments = explorer().PictureArguments();
    size_t at = 0;
    for (const std::string& part : c.arguments) {
        at = arguments.find(part, at);
        QVERIFY2(at != std::string::npos, (arguments + " lacks " + part).c_str());
    }
    QVERIFY(picture() == Redraw(arguments));
    QVERIFY2(form->StatusLine()->text().contains(QString::fromUtf8(c.status)),
             qPrintable(form->StatusLine()->text()));

    const QString png = dir.filePath(QStringLiteral("bild.png"));
    form->chooseSaveFile = [&] { return png; };
    Trigger(*form, "sparabild1");
    Trigger(*form, "presetColours");
    Run("j11");
    QVERIFY2(form->OpenLocation(png), messages.empty() ? "" : qPrintable(messages[0]));
    WaitDrawn();
    QCOMPARE(explorer().PictureArguments(), arguments);
    QVERIFY(picture() == Redraw(arguments));
    // A palette file that changed since is refused in one line.
    if (arguments.find("--palette-checksum") != std::string::npos) {
        WriteFile(dir.filePath(QStringLiteral("my fire.map")), "0 0 0\n255 255 255\n");
        WriteFile(dir.filePath(QStringLiteral("two.ugr")),
                  "Second One { gradient: index=0 color=1 }");
        QVERIFY(!form->OpenLocation(png));
        QCOMPARE(messages.size(), size_t{1});
        QVERIFY2(messages[0].contains(QStringLiteral("is not the one the picture was drawn with")),
                 qPrintable(messages[0]));
        QCOMPARE(explorer().PictureArguments(), arguments);
    }
}

// Explore > "Zoom video…": galleri-render's video from the figure's own
// view to the one shown, shaped to the video; Cancel writes nothing; a
// figure not of the plane has no video.
void ExploreTest::zoomVideoFromOwnViewToTheOneShown() {
    QTemporaryDir dir;
    ZoomVideo& video = form->Video();
    QAction* action = form->findChild<QMenu*>(QStringLiteral("exploreMenu"))
                          ->findChild<QAction*>(QStringLiteral("zoomVideo"));
    QVERIFY(action != nullptr);
    VideoChoice wanted;
    wanted.path = dir.filePath(QStringLiteral("dive.mp4"));
    wanted.size = QSize(64, 48);
    wanted.seconds = 0.4;
    wanted.fps = 10;
    video.choose = [&](const VideoChoice&) { return std::optional<VideoChoice>(wanted); };

    Run("lorenz11");
    action->trigger();
    QCOMPARE(messages.size(), size_t{1});
    QVERIFY(messages.front().contains(QStringLiteral("figure of the plane")));

    Run("m11");
    Keys(img(), {Qt::Key_Plus, Qt::Key_Plus});
    WaitDrawn();
    // The views in the video's shape: the same centres, the pixels' shape
    // kept, all of each view inside.
    const std::vector<std::string> args = video.Arguments(wanted);
    const ParseResult parsed = ParseArguments(args);
    QVERIFY2(parsed.Ok(), parsed.error.c_str());
    const PlaneRect shown = *explorer().CurrentView();
    const PlaneRect to = parsed.request.video->to.plane;
    QCOMPARE((to.left + to.right) / 2, (shown.left + shown.right) / 2);
    QVERIFY(to.right - to.left >= shown.right - shown.left);
    QVERIFY(to.top - to.bottom >= shown.top - shown.bottom);
    QVERIFY(std::fabs((to.right - to.left) / 64 / ((to.top - to.bottom) / 48) -
                      (shown.right - shown.left) / kWidth /
                          ((shown.top - shown.bottom) / kHeight)) < 1e-9);

    QSignalSpy done(&video, &ZoomVideo::finished);
    action->trigger();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.front().at(0).toInt(), 0);
    QVERIFY(QFileInfo(wanted.path).size() > 0);

    // A long one, cancelled as it starts.
    wanted.path = dir.filePath(QStringLiteral("cancelled.webm"));
    wanted.seconds = 300;
    done.clear();
    action->trigger();
    auto* progress = form->findChild<QProgressDialog*>(QStringLiteral("videoProgress"));
    QVERIFY(progress != nullptr);
    progress->findChild<QPushButton*>()->click();
    QVERIFY(done.wait(60000));
    QCOMPARE(done.front().at(0).toInt(), 130);
    QVERIFY(!QFileInfo::exists(wanted.path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("dive.mp4")});
}

}  // namespace galleri

QTEST_MAIN(galleri::ExploreTest)
#include "ExploreTest.moc"
