#include "app/FormTelvarn.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "app/EscapeFilter.h"
#include "app/Explorer.h"
#include "app/PictureView.h"
#include "app/ZoomVideo.h"
#include "commands/About.h"
#include "commands/Commands.h"
#include "commands/Descriptions.h"
#include "commands/Options.h"
#include "render/Arguments.h"
#include "surface/PictureFile.h"
#include "surface/PictureText.h"
#include "surface/QuoteForMessage.h"
#include "view/ArgumentWords.h"

namespace galleri {

namespace {

constexpr int kClientWidth = 483;
constexpr int kClientHeight = 609;

// GALLERI_TRACE_RUNS=1 writes one line to stderr when a command's run is over
// and the window takes input again: "galleri: m11 done", "... stopped" or
// "... failed: REASON". Scripts that drive the window wait for it.
void TraceRunEnd(const Command& command, const char* how, const QString& reason = {}) {
    static const bool enabled = qEnvironmentVariableIntValue("GALLERI_TRACE_RUNS") != 0;
    if (!enabled) {
        return;
    }
    if (reason.isEmpty()) {
        std::fprintf(stderr, "galleri: %s %s\n", command.item, how);
    } else {
        std::fprintf(stderr, "galleri: %s %s: %s\n", command.item, how, qPrintable(reason));
    }
}

// The menu bar's items with half the style's room about their captions.
class CompactMenuBarStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize sized = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem && !size.isEmpty()) {
            sized.rwidth() -= (sized.width() - size.width()) / 2;
        }
        return sized;
    }
};

// A Julia set of either map, whose picture may come out blank.
bool IsJuliaSet(const Command& command) {
    const std::optional<PlaneFigure> plane = command.Plane();
    return plane && (plane->params.kind == IterationKind::Julia ||
                     plane->params.kind == IterationKind::JuliaDragon);
}

}  // namespace

TFormTelvarn::TFormTelvarn(QWidget* parent)
    : QMainWindow(parent), platform_(this), surface_(platform_) {
    setObjectName(QStringLiteral("FormTelvarn"));
    setMinimumSize(200, 100);

    // The form's colour is the tooltip background; the menu bar keeps the
    // ordinary window colour.
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, formPalette.color(QPalette::ToolTipBase));
    setPalette(formPalette);
    setAutoFillBackground(true);
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        setFont(QFont(QStringLiteral("Tahoma"), 8));
    }

    img = new PictureView(surface_.Picture(), this);
    setCentralWidget(img);
    platform_.SetPictureControl(img);
    explorer_ = std::make_unique<Explorer>(surface_, *img, this);
    img->SetExplorer(explorer_.get());
    img->setFocus();
    zoomVideo_ = new ZoomVideo(this, surface_, *explorer_);
    zoomVideo_->report = [this](QMessageBox::Icon icon, const QString& text) {
        report(icon, text);
    };

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QPalette barPalette = MainMenu1->palette();
    barPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    MainMenu1->setPalette(barPalette);
    setMenuBar(MainMenu1);
    BuildMenu();
    BuildExploreMenu();
    BuildColourMenu();
    BuildHelpMenu();
    FitMenuBar();
    BuildShortcuts();

    SavePictureDialog1 = new QFileDialog(this);
    SavePictureDialog1->setObjectName(QStringLiteral("SavePictureDialog1"));
    SavePictureDialog1->setOption(QFileDialog::DontUseNativeDialog);
    SavePictureDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    SavePictureDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SavePictureDialog1->setFileMode(QFileDialog::AnyFile);
    SavePictureDialog1->setDefaultSuffix(QStringLiteral("jpg"));
    const QStringList filters = {
        QStringLiteral("Bitmap (*.bmp)"),
        QStringLiteral("JPEG (*.jpg *.jpeg)"),
        QStringLiteral("PNG (*.png)"),
        QStringLiteral("All files (*)"),
    };
    SavePictureDialog1->setNameFilters(filters);
    SavePictureDialog1->selectNameFilter(filters[1]);

    report = [this](QMessageBox::Icon icon, const QString& text) { ShowMessage(icon, text); };
    chooseSaveFile = [this] { return ExecuteSaveDialog(); };
    chooseLocationFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Open location"), QString(),
            QStringLiteral("Locations and Galleri pictures (*.kfr *.txt *.png *.jpg *.jpeg);;"
                           "All files (*)"));
    };
    choosePaletteFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Open palette"), QString(),
            QStringLiteral("Palettes (*.map *.gpl *.ggr *.ugr);;All files (*)"));
    };
    chooseGradient = [this](const QStringList& names) {
        bool ok = false;
        const QString name = QInputDialog::getItem(
            this, QStringLiteral("Open palette"),
            QStringLiteral("The file holds several gradients:"), names, 0, false, &ok);
        return ok ? name : QString();
    };

    // Escape and the quit keys reach the filter even while the window is
    // disabled: Escape also gives up the view being explored, and a quit key
    // during a drawing closes the window as its close button does.
    escapeFilter_ = new EscapeFilter(
        surface_, this, [this] { explorer_->Escape(); },
        [this] {
            if (drawing_) {
                close();
            }
        });
    qApp->installEventFilter(escapeFilter_);

    // The status line below the picture; the menus' status tips show there
    // while they are hovered.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addWidget(statusLine_, 1);
    img->onHover = [this](std::optional<PicturePoint> at) { UpdateStatus(at); };
    // GALLERI_TRACE_RUNS=1 also writes what the status line shows, for the
    // scripts that drive the window: "galleri: status TEXT" and, while a menu
    // entry is hovered, "galleri: tip TEXT".
    if (qEnvironmentVariableIntValue("GALLERI_TRACE_RUNS") != 0) {
        connect(statusBar(), &QStatusBar::messageChanged, this, [](const QString& tip) {
            if (!tip.isEmpty()) {
                std::fprintf(stderr, "galleri: tip %s\n", qPrintable(tip));
            }
        });
        traceStatus_ = true;
    }
    connect(explorer_.get(), &Explorer::viewDrawn, this, [this] { UpdateStatus(std::nullopt); });
    UpdateStatus(std::nullopt);

    // The picture control is 483 x 609 at start, between the menu bar and
    // the status line.
    resize(kClientWidth, kClientHeight + MainMenu1->heightForWidth(kClientWidth) +
                             statusBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
}

TFormTelvarn::~TFormTelvarn() {
    // A video being made stops, before what it was made from goes.
    delete zoomVideo_;
    // The filter refers to the surface, which goes before the window's
    // children do: no event may reach it once the surface is gone.
    qApp->removeEventFilter(escapeFilter_);
    delete escapeFilter_;
}

void TFormTelvarn::FormCreate() {
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    // Every size the resources hold (src/app/CMakeLists.txt chooses them).
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& file : icons.entryList(QDir::Files)) {
        icon.addFile(icons.filePath(file));
    }
    setWindowIcon(icon);
}

void TFormTelvarn::BuildMenu() {
    for (const Menu& m : Menus()) {
        QMenu* menu = MainMenu1->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromUtf8(m.item));
    }
    for (const Command& c : Commands()) {
        QAction* action = nullptr;
        if (c.menu == nullptr) {
            action = MainMenu1->addAction(QString::fromUtf8(c.caption));
        } else {
            auto* menu = MainMenu1->findChild<QMenu*>(QString::fromUtf8(c.menu));
            if (menu == nullptr) {
                continue;
            }
            action = menu->addAction(QString::fromUtf8(c.caption));
        }
        action->setObjectName(QString::fromUtf8(c.item));
        action->setEnabled(c.Enabled());
        action->setStatusTip(QString::fromStdString(Describe(c)));
        const Command* command = &c;
        if (c.kind == CommandKind::SavePicture) {
            action->setShortcuts(QKeySequence::Save);
            connect(action, &QAction::triggered, this, [this] { sparabild1Click(); });
        } else {
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(*command); });
        }
    }
}

void TFormTelvarn::FitMenuBar() {
    // Every menu, "spara bild" among them, in sight over the picture at its
    // start width: a smaller type rather than an overflow button, down to 7
    // points (the old form's own type was 8).
    QFont font = MainMenu1->font();
    while (MainMenu1->sizeHint().width() > kClientWidth && font.pointSizeF() > 7) {
        font.setPointSizeF(std::max(7.0, font.pointSizeF() - 0.5));
        MainMenu1->setFont(font);
    }
    // Then less room about each caption.
    if (MainMenu1->sizeHint().width() > kClientWidth) {
        auto* style = new CompactMenuBarStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(MainMenu1);
        MainMenu1->setStyle(style);
    }
}

void TFormTelvarn::BuildHelpMenu() {
    QMenu* menu = MainMenu1->addMenu(QStringLiteral("Help"));
    menu->setObjectName(QStringLiteral("helpMenu"));
    QAction* keys = menu->addAction(QStringLiteral("Keys and gestures"));
    keys->setObjectName(QStringLiteral("keysAndGestures"));
    keys->setShortcut(QKeySequence(Qt::Key_F1));
    keys->setShortcutContext(Qt::WindowShortcut);
    keys->setStatusTip(QStringLiteral("Every key and gesture of the window"));
    connect(keys, &QAction::triggered, this, [this] { ShowHelp(HelpPage::Keys); });
    QAction* about = menu->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("about"));
    about->setStatusTip(QStringLiteral("The version, the libraries and where the files go"));
    connect(about, &QAction::triggered, this, [this] { ShowHelp(HelpPage::About); });
}

namespace {

QString Escaped(const char* text) {
    return QString::fromUtf8(text).toHtmlEscaped();
}

QString KeysPage() {
    QString html = QStringLiteral(
        "<p>Draw a figure from the menus. The figures of the plane (\"mandelbroot\", "
        "\"julia\", \"juliadragons\", \"dragons\", \"binary decomposition\") can then be "
        "explored far past a double's precision:</p><table cellspacing=\"0\" cellpadding=\"3\">");
    for (const KeyHelp& k : KeysAndGestures()) {
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(Escaped(k.keys), Escaped(k.does));
    }
    return html + QStringLiteral("</table>");
}

QString AboutPage() {
    const std::string version = VersionText(Program::Window);
    return QStringLiteral(
               "<p><b>%1</b></p><p>Fractals and other mathematical figures, drawn exactly and "
               "saved as JPEG, PNG or bitmap. Views of the plane zoom far past a double's "
               "precision by perturbation.</p><p>Built on Qt %2, %3.</p><p>Files: a picture is "
               "saved where the save dialog says, with the galleri-render command that draws it "
               "again in its text; a picture dragged out is written to a temporary folder that "
               "goes when the program ends. Galleri keeps no settings of its own.</p><p>Without "
               "a window: <tt>galleri-render --help</tt>.</p><p>%4</p>")
        .arg(QString::fromStdString(version).trimmed().toHtmlEscaped(),
             QString::fromLatin1(qVersion()),
             QString::fromStdString(CoreLibraries()).toHtmlEscaped(),
             QString::fromUtf8(LicenceNotice()).toHtmlEscaped());
}

}  // namespace

void TFormTelvarn::ShowHelp(HelpPage page) {
    QDialog*& dialog = page == HelpPage::Keys ? keysDialog_ : aboutDialog_;
    if (dialog == nullptr) {
        dialog = new QDialog(this);
        dialog->setObjectName(page == HelpPage::Keys ? QStringLiteral("keysDialog")
                                                     : QStringLiteral("aboutDialog"));
        dialog->setWindowTitle(page == HelpPage::Keys ? QStringLiteral("Keys and gestures")
                                                      : QStringLiteral("About Galleri"));
        auto* layout = new QVBoxLayout(dialog);
        auto* text = new QTextBrowser(dialog);
        text->setObjectName(QStringLiteral("helpText"));
        text->setHtml(page == HelpPage::Keys ? KeysPage() : AboutPage());
        text->setMinimumSize(page == HelpPage::Keys ? QSize(560, 520) : QSize(420, 260));
        layout->addWidget(text);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        layout->addWidget(buttons);
    }
    // Beside the window, not in its way: the picture can still be explored.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void TFormTelvarn::BuildExploreMenu() {
    // After the figures' menus, which keep their order and captions.
    QMenu* menu = MainMenu1->addMenu(QStringLiteral("Explore"));
    menu->setObjectName(QStringLiteral("exploreMenu"));
    QAction* open = menu->addAction(QStringLiteral("Open location…"));
    open->setObjectName(QStringLiteral("openLocation"));
    open->setShortcuts(QKeySequence::Open);
    open->setStatusTip(QStringLiteral(
        "Draw the view of a location file (Re:, Im:, Zoom:) or of a picture Galleri saved"));
    connect(open, &QAction::triggered, this, [this] {
        const QString path = chooseLocationFile();
        if (!path.isEmpty()) {
            OpenLocation(path);
        }
    });
    QAction* video = menu->addAction(QStringLiteral("Zoom video…"));
    video->setObjectName(QStringLiteral("zoomVideo"));
    video->setStatusTip(QStringLiteral(
        "A video (MP4 or WebM) that zooms from the figure's own view to the one shown"));
    connect(video, &QAction::triggered, this, [this] {
        if (!drawing_) {
            zoomVideo_->folder = saveFolder_;
            zoomVideo_->Make();
        }
    });
}

QString InWindowWords(const std::string& error) {
    std::string what = error;
    const std::string prefix = "galleri-render: ";
    if (what.rfind(prefix, 0) == 0) {
        what.erase(0, prefix.size());
    }
    const size_t see = what.find("; see galleri-render");
    if (see != std::string::npos) {
        what.resize(see);
    }
    if (!what.empty()) {
        what[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(what[0])));
    }
    return QString::fromStdString(what) + QLatin1Char('.');
}

bool TFormTelvarn::OpenLocation(const QString& path) {
    if (drawing_) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(QMessageBox::Warning, QStringLiteral("Cannot open %1: %2")
                                         .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(int64_t{16} << 20);
    const std::string data(bytes.constData(), static_cast<size_t>(bytes.size()));
    const std::string size =
        std::to_string(surface_.ImgWidth()) + "x" + std::to_string(surface_.ImgHeight());
    std::vector<std::string> args;
    const std::optional<std::string> text = ReadPictureText(data);
    if (text) {
        // The galleri-render arguments the picture was saved with; a
        // palette file's name may be quoted.
        args = SplitArguments(*text);
    } else if (data.rfind("\x89PNG", 0) == 0 || data.rfind("\xFF\xD8", 0) == 0) {
        report(QMessageBox::Warning,
               QStringLiteral("%1 is a picture without Galleri's text: no view to open.")
                   .arg(QDir::toNativeSeparators(path)));
        return false;
    } else {
        // A location of the Mandelbrot set: for the Mandelbrot figure shown,
        // else for "m_1".
        const Command* shown = explorer_->CurrentCommand();
        const std::optional<PlaneFigure> plane =
            shown != nullptr ? shown->Plane() : std::optional<PlaneFigure>();
        const bool mandelbrot = plane && plane->params.kind == IterationKind::Mandelbrot;
        args = {"--size", size, "--location", path.toStdString(), mandelbrot ? shown->item : "m11"};
    }
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.Ok()) {
        report(QMessageBox::Warning, InWindowWords(parsed.error));
        return false;
    }
    const RenderRequest& request = parsed.request;
    // A picture's colours come with it (its palette read and checked by
    // now); a location file keeps the colours chosen.
    const ColouringChoice colouringBefore = explorer_->Colouring();
    const std::vector<Stop> stopsBefore = explorer_->PaletteStops();
    const bool colours = text && request.figure->Plane();
    if (colours) {
        // The figure's own colours keep the palette chosen for smooth ones.
        ColouringChoice next = request.colouring;
        if (!next.smooth) {
            next = colouringBefore;
            next.smooth = false;
            next.supersample = request.colouring.supersample;
        }
        if (!explorer_->SetColouring(next, next.smooth ? request.paletteStops : stopsBefore,
                                     false)) {
            return false;
        }
    }
    if (explorer_->CurrentCommand() != request.figure || !explorer_->Explorable()) {
        RunCommand(*request.figure);
    }
    if (!request.figure->Plane() || !explorer_->Explorable()) {
        return !request.figure->Plane();  // a figure with no view: its picture is all
    }
    const ExploreView view = request.deepView ? ExploreView(*request.deepView)
                             : request.view   ? ExploreView(*request.view)
                                              : ExploreView(request.figure->Plane()->own);
    if (explorer_->ShowLocation(view, request.iterations)) {
        return true;
    }
    if (colours) {
        explorer_->SetColouring(colouringBefore, stopsBefore, false);
    }
    return false;
}

void TFormTelvarn::UpdateStatus(std::optional<PicturePoint> cursor) {
    if (cursor) {
        lastCursor_ = cursor;
    } else if (!img->underMouse()) {
        lastCursor_.reset();
    }
    const QString text = QString::fromStdString(explorer_->StatusText(lastCursor_));
    if (traceStatus_ && text != statusLine_->text()) {
        std::fprintf(stderr, "galleri: status %s\n", qPrintable(text));
    }
    statusLine_->setText(text);
}

void TFormTelvarn::BuildShortcuts() {
    // Actions of the window, not of the menu: the menu keeps its captions.
    auto* copy = new QAction(this);
    copy->setObjectName(QStringLiteral("copyPicture"));
    copy->setShortcuts(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { CopyPicture(); });
    addAction(copy);

    auto* quit = new QAction(this);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcuts(QuitKeys());
    connect(quit, &QAction::triggered, this, [this] { close(); });
    addAction(quit);
}

void TFormTelvarn::RunCommand(const Command& command) {
    if (drawing_) {
        return;  // runs never nest (the disabled window refuses commands anyway)
    }
    drawing_ = true;
    explorer_->BeforeCommand();  // no view is drawn while the run lasts
    QElapsedTimer clock;
    clock.start();
    platform_.ClearColumnsDone();
    // RunFigure gives the window and the cursor back whatever ends the run;
    // an error is shown once the run is over.
    bool failed = true;
    QString error = QStringLiteral("The figure ended with an unknown error.");
    try {
        // A figure of the plane in the colours chosen; else, and by
        // default, the command's own run.
        if (const SmoothColouring* smooth = explorer_->CommandColouring(command)) {
            RunFigureView(surface_, command, command.Plane()->own, std::nullopt, smooth);
        } else {
            RunFigure(surface_, command);
        }
        failed = false;
    } catch (const DrawingError& e) {
        error = QStringLiteral("%1 at %2 x %3: %4.")
                    .arg(QString::fromUtf8(command.caption))
                    .arg(surface_.ImgWidth())
                    .arg(surface_.ImgHeight())
                    .arg(QString::fromStdString(InUserWords(e)));
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Not enough memory to draw %1 at %2 x %3.")
                    .arg(QString::fromUtf8(command.caption))
                    .arg(surface_.ImgWidth())
                    .arg(surface_.ImgHeight());
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    } catch (...) {
    }
    drawing_ = false;
    explorer_->SetLastSeconds(failed ? -1 : static_cast<double>(clock.elapsed()) / 1000);
    explorer_->AfterCommand(command, failed                    ? Explorer::RunEnd::Failed
                                     : surface_.AbortRequested ? Explorer::RunEnd::Stopped
                                                               : Explorer::RunEnd::Done);
    img->update();
    UpdateStatus(std::nullopt);
    if (failed) {
        TraceRunEnd(command, "failed", error);
    } else {
        TraceRunEnd(command, surface_.StoppedEarly() ? "stopped" : "done");
    }
    if (failed) {
        report(QMessageBox::Critical, error);
    } else if (surface_.AbortRequested || surface_.StoppedEarly()) {
        const int columns = platform_.ColumnsDone();
        img->ShowNote(columns >= 0 ? QStringLiteral("stopped after %1 columns").arg(columns)
                                   : QStringLiteral("stopped"));
    } else if (IsJuliaSet(command) && surface_.Picture().Uniform()) {
        img->ShowNote(JuliaSetIsDust(command)
                          ? QStringLiteral("No point of this Julia set stays bounded (the set is "
                                           "dust): the picture is blank, not a fault")
                          : QStringLiteral("Every point of this picture escapes within the "
                                           "budget: the picture is blank, not a fault"));
    }
    if (closePending_) {
        // The window was closed while the figure drew: close it now.
        closePending_ = false;
        close();
    }
}

void TFormTelvarn::closeEvent(QCloseEvent* event) {
    if (drawing_) {
        // Ask the figure to stop at its next message point; the window closes
        // when the command returns.
        surface_.RequestAbort();
        closePending_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TFormTelvarn::sparabild1Click() {
    if (surface_.Picture().Empty()) {
        report(QMessageBox::Information,
               QStringLiteral("There is no picture to save yet: draw a figure first."));
        return;
    }
    const QString path = chooseSaveFile();
    if (path.isEmpty()) {
        return;
    }
    // The picture of the current view, drawn to its end.
    QString unfinished;
    if (!explorer_->FinishView(&unfinished)) {
        report(QMessageBox::Critical, unfinished);
        return;
    }
    // File names are bytes: the dialog's name goes to the file system in the
    // system's own 8-bit form, byte for byte.
    const std::string nativePath = QFile::encodeName(path).toStdString();
    try {
        // The text that redraws this very picture with galleri-render.
        SavePicture(surface_.Picture(), nativePath, explorer_->PictureArguments());
        saveFolder_ = QFileInfo(path).absolutePath();
        img->ShowNote(QStringLiteral("saved %1").arg(QFileInfo(path).fileName()));
    } catch (const std::bad_alloc&) {
        report(QMessageBox::Critical,
               QStringLiteral("Not enough memory to save the picture to %1.")
                   .arg(QString::fromStdString(QuoteForMessage(nativePath))));
    } catch (const std::exception& e) {
        report(QMessageBox::Critical, QString::fromUtf8(e.what()));
    } catch (...) {
        report(QMessageBox::Critical, QStringLiteral("The picture could not be saved."));
    }
}

void TFormTelvarn::CopyPicture() {
    // The exact picture of the current view, as saving would write it.
    if (!explorer_->FinishView()) {
        return;
    }
    if (!surface_.Picture().Empty()) {
        QGuiApplication::clipboard()->setImage(ToDisplayImage(surface_.Picture()));
        img->ShowNote(QStringLiteral("picture copied"));
    }
}

QString TFormTelvarn::ProposedSaveName() const {
    const Command* shown = explorer_->CurrentCommand();
    const QString stem =
        shown != nullptr ? QString::fromUtf8(shown->caption) : QStringLiteral("galleri");
    const QString folder =
        saveFolder_.isEmpty() ? SavePictureDialog1->directory().absolutePath() : saveFolder_;
    return QDir(folder).filePath(stem + QStringLiteral(".jpg"));
}

QString TFormTelvarn::ExecuteSaveDialog() {
    // The figure's caption with the default extension, in the last folder.
    const QFileInfo proposed(ProposedSaveName());
    SavePictureDialog1->setDirectory(proposed.absolutePath());
    SavePictureDialog1->selectFile(proposed.fileName());
    if (SavePictureDialog1->exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = SavePictureDialog1->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TFormTelvarn::ShowMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

}  // namespace galleri
