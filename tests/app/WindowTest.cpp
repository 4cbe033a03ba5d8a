// The window over the drawing core: menu from the command table, the render
// run as the user sees it (disabled window, hourglass, Escape, errors, close),
// the picture on screen and saving from the menu.
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <new>
#include <vector>

#include "app/EscapeFilter.h"
#include "app/FormTelvarn.h"
#include "app/PictureView.h"
#include "commands/Commands.h"
#include "surface/HeadlessPlatform.h"

namespace galleri {

namespace {

struct Message {
    QMessageBox::Icon icon;
    QString text;
};

// A state of the window seen from inside a run.
struct RunState {
    bool formEnabled;
    bool hourglass;
    bool abortRequested;
    QSize picture;
};

bool HourglassShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr && c->shape() == Qt::WaitCursor;
}

// Columns [from, to) of the picture are white.
bool ColumnsWhite(const Bitmap& b, int from, int to) {
    for (int x = from; x < to; ++x) {
        for (int y = 0; y < b.Height(); ++y) {
            if (b.Get(x, y) != kWhite) {
                return false;
            }
        }
    }
    return true;
}

bool IsPngFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Root writes into any folder whatever its mode. While this lives, the
// calling thread works without CAP_DAC_OVERRIDE, so a folder's mode binds it
// as it binds an ordinary user.
class WithoutDacOverride {
  public:
    WithoutDacOverride() {
        if (geteuid() != 0 || syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutDacOverride() {
        if (dropped_) {
            syscall(SYS_capset, &header_, saved_);
        }
    }
    WithoutDacOverride(const WithoutDacOverride&) = delete;
    WithoutDacOverride& operator=(const WithoutDacOverride&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

// A file can be made in the folder.
bool CanCreateIn(const QString& folder) {
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly)) {
        return false;
    }
    probe.remove();
    return true;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startsAsDesigned();
    void menuFollowsCommandTable();
    void j8IsJuliaPreset7();
    void pictureShownInDisplayColours();
    void iconIsTheProgramsOwnPicture();
    void pictureSharpOnHighDpiScreen();

    void runDisablesWindowAndShowsHourglass();
    void escapeStopsAtTenColumnBoundary_data();
    void escapeStopsAtTenColumnBoundary();
    void otherKeysDoNothing();
    void escapeBetweenFiguresHasNoEffect();
    void rangeErrorReportedAndWindowUsable_data();
    void rangeErrorReportedAndWindowUsable();
    void resizeGivesNewWhitePicture();
    void closeDuringRunStopsThenCloses();
    void outOfMemoryReportedAndWindowUsable();

    void copyKeyPutsPictureOnClipboard();
    void saveKeyRunsSparaBild();
    void quitKeyCloses_data();
    void quitKeyCloses();
    void saveAndCopyKeysWaitForRunEnd();

    void saveDialogAsDesigned();
    void saveThroughRealDialogAddsJpgSuffix();
    void saveBeforeFirstFigure();
    void saveReplacesExistingFile();
    void saveCancelledWritesNothing();
    void saveErrorReportedPictureUntouched();
    void saveOntoFullDeviceReportsNoSpace();
    void saveIntoUnwritableFolderKeepsExistingFile();
    void saveBelowAPlainFileReportsNotAFolder();
    void saveNamesAreBytesAndMessagesOneLine();

  private:
    // Draws a small m_1, then saves to `path` from the menu; the one message
    // must be an error naming the path and `reason`, and the picture and the
    // window must come through untouched.
    void ExpectSaveFails(const QString& path, const QString& reason);
    QAction* Action(const char* item) const {
        return form->findChild<QAction*>(QString::fromLatin1(item));
    }
    void SetClientSize(int w, int h);
    // Presses a key the way the window system delivers it to the active window.
    void Press(const QKeySequence& keys);
    // Runs a command; at each message point `atMessage` sees the message
    // point's number (from 1).
    void Run(const char* item, std::function<void(int)> atMessage = nullptr);
    RunState Observe() const;

    std::unique_ptr<TFormTelvarn> form;
    std::vector<Message> messages;
    int messagePoints = 0;
};

void WindowTest::init() {
    form = std::make_unique<TFormTelvarn>();
    messages.clear();
    form->report = [this](QMessageBox::Icon icon, const QString& text) {
        messages.push_back({icon, text});
    };
    form->chooseSaveFile = [] {
        qFatal("the save dialog must not be shown here");
        return QString();
    };
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::cleanup() {
    form.reset();
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void WindowTest::SetClientSize(int w, int h) {
    form->resize(w, h + form->MenuBar()->height() + form->statusBar()->height());
    QTRY_COMPARE(form->Img()->size(), QSize(w, h));
}

void WindowTest::Press(const QKeySequence& keys) {
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keySequence(form->windowHandle(), keys);
}

void WindowTest::Run(const char* item, std::function<void(int)> atMessage) {
    messagePoints = 0;
    form->Host().afterMessages = [this, atMessage] {
        ++messagePoints;
        if (atMessage) {
            atMessage(messagePoints);
        }
    };
    QAction* action = Action(item);
    QVERIFY(action != nullptr);
    action->trigger();
    form->Host().afterMessages = nullptr;
}

RunState WindowTest::Observe() const {
    const Surface& s = form->DrawingSurface();
    return {form->isEnabled(), HourglassShown(), s.AbortRequested,
            QSize(s.Picture().Width(), s.Picture().Height())};
}

void WindowTest::startsAsDesigned() {
    QCOMPARE(form->objectName(), QStringLiteral("FormTelvarn"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Galleri"));
    QCOMPARE(form->Img()->objectName(), QStringLiteral("img"));
    QCOMPARE(form->centralWidget(), form->Img());
    QCOMPARE(form->Img()->size(), QSize(483, 609));
    QCOMPARE(form->minimumSize(), QSize(200, 100));
    QCOMPARE(form->SaveDialog()->objectName(), QStringLiteral("SavePictureDialog1"));
    QCOMPARE(form->MenuBar()->objectName(), QStringLiteral("MainMenu1"));
    QVERIFY(form->DrawingSurface().Picture().Empty());

    // Before the first figure the client area shows the form's colour.
    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    QCOMPARE(form->palette().color(QPalette::Window), tooltip);
    const QImage shown = form->Img()->grab().toImage();
    QCOMPARE(shown.pixelColor(10, 10), tooltip);
    QCOMPARE(shown.pixelColor(482, 608), tooltip);

    // The picture control follows the window down to its smallest size.
    form->resize(50, 50);
    QTRY_COMPARE(form->width(), 200);
    QCOMPARE(form->Img()->width(), 200);
    QCOMPARE(form->Img()->height(),
             form->height() - form->MenuBar()->height() - form->statusBar()->height());
}

void WindowTest::menuFollowsCommandTable() {
    const QList<QAction*> bar = form->MenuBar()->actions();
    const auto menus = Menus();
    // The figures' menus and "spara bild", then the menus of our own.
    QCOMPARE(bar.size(), static_cast<qsizetype>(menus.size() + 4));
    for (size_t i = 0; i < menus.size(); ++i) {
        QMenu* menu = bar[i]->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->objectName(), QString::fromUtf8(menus[i].item));
        QCOMPARE(menu->title(), QString::fromUtf8(menus[i].caption));

        // The menu's items are the table's rows of that menu, in order.
        const QList<QAction*> items = menu->actions();
        qsizetype k = 0;
        for (const Command& c : Commands()) {
            if (c.menu == nullptr || QString::fromUtf8(c.menu) != menu->objectName()) {
                continue;
            }
            QVERIFY(k < items.size());
            QCOMPARE(items[k]->objectName(), QString::fromUtf8(c.item));
            QCOMPARE(items[k]->text(), QString::fromUtf8(c.caption));
            QCOMPARE(items[k]->isEnabled(), c.Enabled());
            ++k;
        }
        QCOMPARE(k, items.size());
    }
    QCOMPARE(bar[0]->text(), QStringLiteral("strange attractor"));
    QCOMPARE(bar[0]->menu()->actions().size(), 15);
    QCOMPARE(bar[1]->menu()->actions().size(), 14);
    QCOMPARE(bar[2]->menu()->actions().size(), 2);
    QCOMPARE(bar[3]->menu()->actions().size(), 15);
    QCOMPARE(bar[4]->menu()->actions().size(), 10);
    QCOMPARE(bar[5]->objectName(), QStringLiteral("sparabild1"));
    QCOMPARE(bar[5]->text(), QStringLiteral("spara bild"));
    QVERIFY(bar[5]->menu() == nullptr);
    QVERIFY(bar[5]->isEnabled());
    QCOMPARE(bar[6]->menu()->objectName(), QStringLiteral("exploreMenu"));
    QCOMPARE(bar[7]->menu()->objectName(), QStringLiteral("colourMenu"));
    QCOMPARE(bar[8]->menu()->objectName(), QStringLiteral("helpMenu"));
    QCOMPARE(Action("trd1")->text(), QStringLiteral("träd"));
}

void WindowTest::j8IsJuliaPreset7() {
    QAction* j8 = Action("j8J81");
    QVERIFY(j8 != nullptr);
    QCOMPARE(j8->text(), QStringLiteral("j_8"));
    QCOMPARE(qobject_cast<QMenu*>(j8->parent())->objectName(), QStringLiteral("julia1"));
    const Command* c = FindCommand("j8J81");
    QVERIFY(c != nullptr);
    QCOMPARE(c->preset, 7);
    QVERIFY(c->draw == FindCommand("j71")->draw);
    QCOMPARE(FindCommand("jd101")->preset, 0);
    QCOMPARE(FindCommand("jd11")->preset, 1);
}

void WindowTest::pictureShownInDisplayColours() {
    Surface& s = form->DrawingSurface();
    s.ClearAndBegin();
    s.PutPixel(0, 0, 0x0000FF);    // red in the lowest byte
    s.PutPixel(1, 0, 0x00FF00);    // green
    s.PutPixel(2, 0, 0xFF0000);    // blue
    s.PutPixel(3, 0, 0x7F102030);  // top byte not shown
    s.EndRender();
    const QImage direct = ToDisplayImage(s.Picture());
    QCOMPARE(direct.pixelColor(3, 0), QColor(0x30, 0x20, 0x10));

    const QImage shown = form->Img()->grab().toImage();
    QCOMPARE(shown.size(), QSize(483, 609));
    QCOMPARE(shown.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(1, 0), QColor(0, 255, 0));
    QCOMPARE(shown.pixelColor(2, 0), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(3, 0), QColor(0x30, 0x20, 0x10));
    QCOMPARE(shown.pixelColor(4, 0), QColor(255, 255, 255));
}

// Runs as its own ctest entry with QT_SCALE_FACTOR=2: each picture pixel
// must cover a whole 2 x 2 block of screen pixels in its own colour, neither
// smoothed nor shifted.
void WindowTest::pictureSharpOnHighDpiScreen() {
    const qreal ratio = form->devicePixelRatioF();
    if (ratio != 2) {
        QSKIP("needs a screen with device pixel ratio 2 (QT_SCALE_FACTOR=2)");
    }
    SetClientSize(200, 120);
    Run("m11");
    const QImage picture = ToDisplayImage(form->DrawingSurface().Picture());
    const QImage shown = form->Img()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(400, 240));
    const QImage expected = picture.scaled(400, 240, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (shown.pixel(x, y) != expected.pixel(x, y)) {
                QFAIL(qPrintable(QStringLiteral("screen pixel (%1, %2) is not picture pixel "
                                                "(%3, %4)")
                                     .arg(x)
                                     .arg(y)
                                     .arg(x / 2)
                                     .arg(y / 2)));
            }
        }
    }
}

void WindowTest::iconIsTheProgramsOwnPicture() {
    const QIcon icon = form->windowIcon();
    QVERIFY(!icon.isNull());
    for (const int side : {16, 32, 64, 256}) {
        QVERIFY(icon.availableSizes().contains(QSize(side, side)));
        // The icon file is m_1 as this program draws it at that size.
        HeadlessPlatform platform(side, side);
        Surface s(platform);
        RunFigure(s, *FindCommand("m11"));
        const QImage file(QStringLiteral(":/icons/galleri-%1.png").arg(side));
        QCOMPARE(file.convertToFormat(QImage::Format_RGB32), ToDisplayImage(s.Picture()));
        QCOMPARE(icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_RGB32),
                 ToDisplayImage(s.Picture()));
    }
}

void WindowTest::runDisablesWindowAndShowsHourglass() {
    SetClientSize(240, 200);
    std::vector<RunState> during;
    Run("m11", [&](int point) {
        if (point == 1) {
            // The window keeps its size while a figure draws.
            form->resize(400, 400);
            QCoreApplication::processEvents();
            QCOMPARE(form->Img()->size(), QSize(240, 200));
        }
        during.push_back(Observe());
    });
    // 241 columns, a message point after every tenth.
    QCOMPARE(static_cast<int>(during.size()), 24);
    for (const RunState& st : during) {
        QVERIFY(!st.formEnabled);
        QVERIFY(st.hourglass);
        QCOMPARE(st.picture, QSize(240, 200));
    }
    QVERIFY(form->isEnabled());
    QVERIFY(!HourglassShown());
    QCOMPARE(form->DrawingSurface().Host().Cursor(), kCursorDefault);
    QVERIFY(messages.empty());
    QVERIFY(!ColumnsWhite(form->DrawingSurface().Picture(), 230, 240));
    QCOMPARE(form->minimumSize(), QSize(200, 100));
    SetClientSize(300, 250);
}

void WindowTest::escapeStopsAtTenColumnBoundary_data() {
    QTest::addColumn<int>("modifiers");
    QTest::newRow("bare") << int(Qt::NoModifier);
    QTest::newRow("shift") << int(Qt::ShiftModifier);
    QTest::newRow("ctrl") << int(Qt::ControlModifier);
    QTest::newRow("shift+ctrl") << int(Qt::ShiftModifier | Qt::ControlModifier);
}

void WindowTest::escapeStopsAtTenColumnBoundary() {
    QFETCH(int, modifiers);
    // The same figure drawn to its end without a window.
    HeadlessPlatform headless(483, 609);
    Surface reference(headless);
    RunFigure(reference, *FindCommand("m11"));

    Run("m11", [&](int point) {
        if (point == 1) {
            // Through the window system, as a real key press arrives.
            QTest::keyClick(form->windowHandle(), Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
            QVERIFY(form->DrawingSurface().AbortRequested);
        }
    });
    QCOMPARE(messagePoints, 1);
    const Bitmap& picture = form->DrawingSurface().Picture();
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 609; ++y) {
            QCOMPARE(picture.Get(x, y), reference.Picture().Get(x, y));
        }
    }
    QVERIFY(ColumnsWhite(picture, 10, 483));
    const RunState after = Observe();
    QVERIFY(after.formEnabled);
    QVERIFY(!after.hourglass);
    QVERIFY(after.abortRequested);  // EndRender leaves the request as it was
}

void WindowTest::otherKeysDoNothing() {
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_F1}) {
        QTest::keyClick(form->windowHandle(), key);
        QTest::keyClick(form->windowHandle(), key, Qt::ShiftModifier);
    }
    QVERIFY(!form->DrawingSurface().AbortRequested);
}

void WindowTest::escapeBetweenFiguresHasNoEffect() {
    SetClientSize(200, 120);
    QTest::keyClick(form->windowHandle(), Qt::Key_Escape);
    QVERIFY(form->DrawingSurface().AbortRequested);
    bool clearedAtStart = false;
    Run("m11", [&](int point) {
        if (point == 1) {
            clearedAtStart = !form->DrawingSurface().AbortRequested;
        }
    });
    QVERIFY(clearedAtStart);
    QCOMPARE(messagePoints, 20);  // drawn to its end
}

void WindowTest::rangeErrorReportedAndWindowUsable_data() {
    // The figures whose scan fills a row table of 4097 entries.
    QTest::addColumn<QString>("item");
    for (const Command& c : Commands()) {
        const QString item = QString::fromUtf8(c.item);
        if (c.menu != nullptr &&
            (QByteArray(c.menu) == "mandelbroot1" || item == QStringLiteral("mandeldragon2") ||
             item == QStringLiteral("mandelphoenix1"))) {
            QTest::newRow(c.item) << item;
        }
    }
}

void WindowTest::rangeErrorReportedAndWindowUsable() {
    QFETCH(QString, item);
    // A picture 4100 rows high does not fit the row table.
    SetClientSize(300, 4100);
    Run(qPrintable(item));
    QCOMPARE(messagePoints, 0);
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QCOMPARE(messages[0].icon, QMessageBox::Critical);
    QVERIFY2(messages[0].text.endsWith(QStringLiteral(" at 300 x 4100: picture height 4100 "
                                                      "exceeds this figure's 4096 rows.")),
             qPrintable(messages[0].text));
    const RunState after = Observe();
    QVERIFY(after.formEnabled);
    QVERIFY(!after.hourglass);
    QCOMPARE(form->Host().Cursor(), kCursorDefault);
    QCOMPARE(after.picture, QSize(300, 4100));
    QVERIFY(ColumnsWhite(form->DrawingSurface().Picture(), 0, 300));

    // The window stays usable: the next figure draws.
    SetClientSize(200, 100);
    messages.clear();
    Run("m11");
    QVERIFY(messages.empty());
    QCOMPARE(messagePoints, 20);
}

void WindowTest::resizeGivesNewWhitePicture() {
    SetClientSize(250, 180);
    Run("m11");
    SetClientSize(210, 300);
    // Before drawing goes on, all but the first ten columns are white.
    bool whiteAhead = false;
    QSize size;
    Run("m11", [&](int point) {
        if (point == 1) {
            size = Observe().picture;
            whiteAhead = ColumnsWhite(form->DrawingSurface().Picture(), 10, 210);
            form->DrawingSurface().RequestAbort();
        }
    });
    QCOMPARE(size, QSize(210, 300));
    QVERIFY(whiteAhead);
}

void WindowTest::closeDuringRunStopsThenCloses() {
    bool closedAtOnce = true;
    Run("m11", [&](int point) {
        if (point == 1) {
            closedAtOnce = form->close();
        }
    });
    QVERIFY(!closedAtOnce);
    QCOMPARE(messagePoints, 1);  // stopped at the next boundary
    QVERIFY(!form->isVisible());
    QVERIFY(form->isEnabled());
    QVERIFY(!HourglassShown());
}

void WindowTest::copyKeyPutsPictureOnClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("kept"));
    Press(QKeySequence::Copy);  // no picture yet: the clipboard stays as it was
    QCOMPARE(clipboard->text(), QStringLiteral("kept"));

    SetClientSize(200, 120);
    Run("m11");
    Press(QKeySequence::Copy);
    QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32),
             ToDisplayImage(form->DrawingSurface().Picture()));
    QVERIFY(messages.empty());
}

void WindowTest::saveKeyRunsSparaBild() {
    SetClientSize(200, 120);
    Run("m11");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    form->chooseSaveFile = [&] { return path; };
    Press(QKeySequence::Save);
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0].text));
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32),
             ToDisplayImage(form->DrawingSurface().Picture()));
    QCOMPARE(Action("sparabild1")->text(), QStringLiteral("spara bild"));
}

void WindowTest::quitKeyCloses_data() {
    QTest::addColumn<bool>("duringRun");
    QTest::newRow("idle") << false;
    QTest::newRow("during a run") << true;
}

void WindowTest::quitKeyCloses() {
    QFETCH(bool, duringRun);
    QVERIFY(!QuitKeys().isEmpty());
    if (!duringRun) {
        Press(QuitKeys().first());
        QVERIFY(!form->isVisible());
        return;
    }
    // As closing the window: the figure stops at its next message point and
    // the window closes when the run is over.
    bool visibleAfterPress = false;
    Run("m11", [&](int point) {
        if (point == 1) {
            QTest::keySequence(form->windowHandle(), QuitKeys().first());
            visibleAfterPress = form->isVisible();
        }
    });
    QVERIFY(visibleAfterPress);
    QCOMPARE(messagePoints, 1);
    QVERIFY(!form->isVisible());
    QVERIFY(form->isEnabled());
    QVERIFY(!HourglassShown());
}

// The window is disabled while a figure draws: saving and copying then do
// nothing (the save dialog must not open in the middle of a run).
void WindowTest::saveAndCopyKeysWaitForRunEnd() {
    SetClientSize(200, 120);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("kept"));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    Run("m11", [&](int point) {
        if (point == 1) {
            QTest::keySequence(form->windowHandle(), QKeySequence::Save);
            QTest::keySequence(form->windowHandle(), QKeySequence::Copy);
        }
    });
    QCOMPARE(messagePoints, 20);
    QCOMPARE(clipboard->text(), QStringLiteral("kept"));
    QVERIFY(form->isVisible());
}

void WindowTest::outOfMemoryReportedAndWindowUsable() {
    SetClientSize(300, 200);
    const Command hungry{nullptr,
                         "m_1",
                         "m11",
                         CommandKind::Figure,
                         [](Surface& s, int) {
                             s.ClearAndBegin();
                             throw std::bad_alloc();
                         },
                         0};
    form->RunCommand(hungry);
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QCOMPARE(messages[0].icon, QMessageBox::Critical);
    QCOMPARE(messages[0].text, QStringLiteral("Not enough memory to draw m_1 at 300 x 200."));
    QVERIFY(form->isEnabled());
    QVERIFY(!HourglassShown());
    messages.clear();
    Run("m11");
    QVERIFY(messages.empty());
}

void WindowTest::saveDialogAsDesigned() {
    QFileDialog* d = form->SaveDialog();
    QVERIFY(d->testOption(QFileDialog::DontUseNativeDialog));
    QVERIFY(d->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(d->defaultSuffix(), QStringLiteral("jpg"));
    QVERIFY(d->nameFilters().size() >= 2);
    QVERIFY(d->nameFilters()[1].startsWith(QStringLiteral("JPEG")));
    QCOMPARE(d->selectedNameFilter(), d->nameFilters()[1]);
}

void WindowTest::saveThroughRealDialogAddsJpgSuffix() {
    // A window whose dialog step is its own.
    TFormTelvarn own;
    own.report = [this](QMessageBox::Icon icon, const QString& text) {
        messages.push_back({icon, text});
    };
    Surface& s = own.DrawingSurface();
    s.ClearAndBegin();
    s.PutPixel(5, 5, 0x0000FF);
    s.EndRender();
    QTemporaryDir dir;
    QFileDialog* d = own.SaveDialog();
    d->setDirectory(dir.path());
    QTimer::singleShot(0, d, [d] {
        d->selectFile(QStringLiteral("bild"));  // typed without an extension
        static_cast<QDialog*>(d)->accept();
    });
    own.findChild<QAction*>(QStringLiteral("sparabild1"))->trigger();
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0].text));
    QFile saved(dir.filePath(QStringLiteral("bild.jpg")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.read(2), QByteArray("\xFF\xD8", 2));  // JPEG start of image
}

void WindowTest::saveBeforeFirstFigure() {
    bool asked = false;
    form->chooseSaveFile = [&] {
        asked = true;
        return QString();
    };
    Action("sparabild1")->trigger();
    QVERIFY(!asked);
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QCOMPARE(messages[0].icon, QMessageBox::Information);
    QCOMPARE(messages[0].text,
             QStringLiteral("There is no picture to save yet: draw a figure first."));
}

void WindowTest::saveReplacesExistingFile() {
    SetClientSize(200, 120);
    Run("m11");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    form->chooseSaveFile = [&] { return path; };
    Action("sparabild1")->trigger();
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0].text));
    QVERIFY(IsPngFile(path));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(200, 120));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
             ToDisplayImage(form->DrawingSurface().Picture()));
}

void WindowTest::saveCancelledWritesNothing() {
    SetClientSize(200, 120);
    Run("m11");
    const Bitmap before = form->DrawingSurface().Picture();
    QTemporaryDir dir;
    form->chooseSaveFile = [] { return QString(); };
    Action("sparabild1")->trigger();
    QVERIFY(messages.empty());
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QVERIFY(form->DrawingSurface().Picture() == before);
}

void WindowTest::saveErrorReportedPictureUntouched() {
    SetClientSize(200, 120);
    Run("m11");
    const Bitmap before = form->DrawingSurface().Picture();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no-such-folder/bild.jpg"));
    form->chooseSaveFile = [&] { return path; };
    Action("sparabild1")->trigger();
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QCOMPARE(messages[0].icon, QMessageBox::Critical);
    QVERIFY2(messages[0].text.contains(path), qPrintable(messages[0].text));
    QVERIFY(!QFile::exists(path));
    QVERIFY(form->DrawingSurface().Picture() == before);
    QVERIFY(form->isEnabled());
}

void WindowTest::ExpectSaveFails(const QString& path, const QString& reason) {
    SetClientSize(200, 120);
    Run("m11");
    const Bitmap before = form->DrawingSurface().Picture();
    form->chooseSaveFile = [&] { return path; };
    Action("sparabild1")->trigger();
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QCOMPARE(messages[0].icon, QMessageBox::Critical);
    QVERIFY2(messages[0].text.contains(path), qPrintable(messages[0].text));
    QVERIFY2(messages[0].text.contains(reason), qPrintable(messages[0].text));
    QVERIFY(form->DrawingSurface().Picture() == before);
    QVERIFY(form->isEnabled());
    QVERIFY(!HourglassShown());

    // Nothing is lost: the same picture saves elsewhere at once.
    QTemporaryDir elsewhere;
    const QString good = elsewhere.filePath(QStringLiteral("bild.png"));
    messages.clear();
    form->chooseSaveFile = [&] { return good; };
    Action("sparabild1")->trigger();
    QVERIFY2(messages.empty(), messages.empty() ? "" : qPrintable(messages[0].text));
    QCOMPARE(QImage(good).convertToFormat(QImage::Format_RGB32), ToDisplayImage(before));
}

// The test makes its own full device (as /dev/full): a fault that replaced
// the node by a file must not harm the system's /dev/full.
void WindowTest::saveOntoFullDeviceReportsNoSpace() {
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("full.png"));
    if (mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        QSKIP("cannot make a device node here (needs root)");
    }
    ExpectSaveFails(device, QStringLiteral("No space left on device"));
    struct stat st {};
    QCOMPARE(stat(QFile::encodeName(device).constData(), &st), 0);
    QVERIFY(S_ISCHR(st.st_mode));
    QCOMPARE(st.st_rdev, makedev(1, 7));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
             QStringList{QStringLiteral("full.png")});
}

void WindowTest::saveIntoUnwritableFolderKeepsExistingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bild.png"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older picture");
    }
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        const WithoutDacOverride asUser;
        if (CanCreateIn(dir.path())) {
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("cannot make a folder unwritable here");
        }
        ExpectSaveFails(path, QStringLiteral("Permission denied"));
    }
    QVERIFY(
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(ReadAll(path), QByteArray("an older picture"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("bild.png")});
}

void WindowTest::saveBelowAPlainFileReportsNotAFolder() {
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    {
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a file, not a folder");
    }
    ExpectSaveFails(plain + QStringLiteral("/bild.jpg"), QStringLiteral("Not a directory"));
    QCOMPARE(ReadAll(plain), QByteArray("a file, not a folder"));
}

// The dialog's name reaches the file system as the system's bytes, and a
// name with a control character still gives a one-line message.
void WindowTest::saveNamesAreBytesAndMessagesOneLine() {
    SetClientSize(200, 120);
    Run("m11");
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("tr\u00e4d.png"));
    form->chooseSaveFile = [&] { return name; };
    Action("sparabild1")->trigger();
    QVERIFY(messages.empty());
    QVERIFY(QFile::exists(dir.path() + QStringLiteral("/tr\u00e4d.png")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tr\u00e4d.png")});

    form->chooseSaveFile = [&] { return dir.filePath(QStringLiteral("no\nsuch/bild.png")); };
    Action("sparabild1")->trigger();
    QCOMPARE(static_cast<int>(messages.size()), 1);
    QVERIFY2(messages[0].text.contains(QStringLiteral("no\\nsuch/bild.png'")),
             qPrintable(messages[0].text));
    QVERIFY(!messages[0].text.contains(QLatin1Char('\n')));
}

}  // namespace galleri

QTEST_MAIN(galleri::WindowTest)
#include "WindowTest.moc"
