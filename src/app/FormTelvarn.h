#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/QtPlatform.h"
#include "colour/Palette.h"
#include "surface/Surface.h"
#include "view/ViewGeometry.h"

class QAction;
class QFileDialog;
class QMenuBar;

class QDialog;
class QLabel;

namespace galleri {

struct Command;
class EscapeFilter;
class Explorer;
class PictureView;
class ZoomVideo;

// galleri-render's "galleri-render: WHAT; see galleri-render --help" (or a
// palette reader's "palette 'x.map' line 3: WHAT") as the window says it.
QString InWindowWords(const std::string& error);

// The application title, shown as the window's caption.
inline constexpr const char* kApplicationTitle = "Galleri";
// The application id: the desktop entry, the metainfo and the icon are named
// after it (set in CMake, where the installed files take their names).
inline constexpr const char* kApplicationId = GALLERI_APPLICATION_ID;

// The main window: the picture control `img` filling the client area, the
// menu bar `MainMenu1` built from the command table, and the save dialog
// `SavePictureDialog1`. It owns the one drawing surface. Keyboard: the save
// keys run "spara bild", the copy keys copy the picture, the quit keys close
// the window (during a run as closing it does).
class TFormTelvarn : public QMainWindow {
    Q_OBJECT

  public:
    explicit TFormTelvarn(QWidget* parent = nullptr);
    ~TFormTelvarn() override;

    Surface& DrawingSurface() { return surface_; }
    QtPlatform& Host() { return platform_; }
    PictureView* Img() const { return img; }
    Explorer& Exploring() const { return *explorer_; }
    ZoomVideo& Video() const { return *zoomVideo_; }
    QMenuBar* MenuBar() const { return MainMenu1; }
    QFileDialog* SaveDialog() const { return SavePictureDialog1; }
    bool Drawing() const { return drawing_; }

    // Shows a message to the user; tests replace it to keep modal boxes away.
    using Reporter = std::function<void(QMessageBox::Icon, const QString& text)>;
    Reporter report;
    // Asks for the file to save to; an empty string means cancelled. Tests
    // replace it to keep the modal dialog away.
    std::function<QString()> chooseSaveFile;
    // Asks for a location file or a saved picture to open; empty: cancelled.
    std::function<QString()> chooseLocationFile;
    // Asks for a palette file; empty: cancelled.
    std::function<QString()> choosePaletteFile;
    // Asks which gradient of a file that holds several; empty: cancelled.
    std::function<QString(const QStringList& names)> chooseGradient;

    // The handler of every figure command: draws it and reports an error.
    void RunCommand(const Command& command);
    // "spara bild".
    void sparabild1Click();
    // Puts the picture on the clipboard as an image in display colours;
    // nothing before the first figure.
    void CopyPicture();
    // "Open location…": draws the view of a location file (the Mandelbrot
    // figures') or of a picture this program saved, after the figure's own
    // menu command when another figure is shown. False, with the reason
    // reported, when it cannot.
    bool OpenLocation(const QString& path);
    // "Open palette…": the smooth colouring with a palette file's colours
    // (for a .ugr file of several gradients, the one chooseGradient gives).
    // False, with the file's one-line error reported, when it cannot be
    // read; the colouring is then as it was.
    bool OpenPalette(const QString& path);
    // Help: "Keys and gestures" (F1) or "About", in a window of its own.
    enum class HelpPage { Keys, About };
    void ShowHelp(HelpPage page);
    // The status line below the picture.
    QLabel* StatusLine() const { return statusLine_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void BuildMenu();
    void BuildExploreMenu();
    void BuildHelpMenu();
    void BuildColourMenu();
    void UpdateColourMenu();
    void FitMenuBar();
    void BuildShortcuts();
    QString ExecuteSaveDialog();

  public:
    // What the save dialog proposes: the shown figure's caption with the
    // default extension, in the folder of the last save.
    QString ProposedSaveName() const;

  private:
    void ShowMessage(QMessageBox::Icon icon, const QString& text);

    // The status line's text, with the cursor's point when it is over the
    // picture.
    void UpdateStatus(std::optional<PicturePoint> cursor);

    QtPlatform platform_;
    Surface surface_;
    std::unique_ptr<Explorer> explorer_;  // goes before the surface it draws for
    ZoomVideo* zoomVideo_ = nullptr;
    PictureView* img = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QFileDialog* SavePictureDialog1 = nullptr;
    EscapeFilter* escapeFilter_ = nullptr;
    bool drawing_ = false;
    QLabel* statusLine_ = nullptr;
    QString saveFolder_;  // of the last save
    bool traceStatus_ = false;
    QDialog* keysDialog_ = nullptr;
    QDialog* aboutDialog_ = nullptr;
    std::optional<PicturePoint> lastCursor_;
    bool closePending_ = false;
    QAction* paletteFileAction_ = nullptr;
    QAction* cycleAction_ = nullptr;
    struct PaletteFile {
        std::string palette;
        std::string checksum;
        std::vector<Stop> stops;
    } paletteFile_;  // the last palette file chosen
};

}  // namespace galleri
