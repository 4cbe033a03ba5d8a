// The window's Colour menu: the colouring, the palettes built in and from
// files, the keys of density and cycling, and the supersampling.
#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <string_view>

#include "app/Explorer.h"
#include "app/FormTelvarn.h"
#include "colour/BuiltinPalettes.h"
#include "colour/PaletteChecksum.h"
#include "colour/PaletteFiles.h"
#include "colour/PaletteText.h"

namespace galleri {

namespace {

// The names of a .ugr file's gradients in order, read as the palette reader
// reads them (words up to "{", ";" comments, quotes keeping blanks); the
// reader itself checks the one chosen.
std::vector<std::string> UgrGradientNames(std::string_view text) {
    std::vector<std::string> names;
    std::string name;
    int depth = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n' || palette_text::IsSpace(c)) {
            ++i;
        } else if (c == ';') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
        } else if (c == '{' || c == '}') {
            if (c == '{' && depth == 0 && !name.empty()) {
                names.push_back(name);
            }
            name.clear();
            depth = c == '{' ? depth + 1 : std::max(0, depth - 1);
            ++i;
        } else {
            const size_t start = i;
            bool quoted = false;
            while (
                i < text.size() && text[i] != '\n' &&
                (quoted || (!palette_text::IsSpace(text[i]) && text[i] != '{' && text[i] != '}'))) {
                quoted = text[i] == '"' ? !quoted : quoted;
                ++i;
            }
            if (depth == 0) {
                if (!name.empty()) {
                    name.push_back(' ');
                }
                name.append(text.substr(start, i - start));
            }
        }
    }
    return names;
}

QAction* AddChoice(QMenu* menu, QActionGroup* group, const QString& text, const QString& name,
                   const QString& tip) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setStatusTip(tip);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

QAction* AddKeyed(QMenu* menu, const QString& text, const QString& name, const QString& tip,
                  const QKeySequence& key) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setStatusTip(tip);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

}  // namespace

void TFormTelvarn::BuildColourMenu() {
    // After Explore, before Help.
    QMenu* menu = MainMenu1->addMenu(QStringLiteral("Colour"));
    menu->setObjectName(QStringLiteral("colourMenu"));
    Explorer* explorer = explorer_.get();

    auto* colourings = new QActionGroup(menu);
    QAction* preset = AddChoice(menu, colourings, QStringLiteral("Preset colours"),
                                QStringLiteral("presetColours"),
                                QStringLiteral("Each figure's own colours, as its menu command "
                                               "has always drawn them"));
    connect(preset, &QAction::triggered, explorer, [explorer] { explorer->SetSmooth(false); });
    QAction* smooth = AddChoice(
        menu, colourings, QStringLiteral("Smooth colours"), QStringLiteral("smoothColours"),
        QStringLiteral("A continuous escape count read through the palette: no bands"));
    connect(smooth, &QAction::triggered, explorer, [explorer] { explorer->SetSmooth(true); });

    menu->addSeparator();
    auto* palettes = new QActionGroup(menu);
    for (const BuiltinPalette& p : BuiltinPalettes()) {
        const QString name = QString::fromStdString(p.palette.name);
        QAction* action =
            AddChoice(menu, palettes, name, QStringLiteral("palette_") + name,
                      QString::fromStdString(p.description) + QStringLiteral(" (smooth colours)"));
        connect(action, &QAction::triggered, this, [this, &p] {
            ColouringChoice next = explorer_->Colouring();
            next.smooth = true;
            next.palette = p.palette.name;
            next.checksum.clear();
            explorer_->SetColouring(next, p.palette.stops);
        });
    }
    // The palette file last opened, to come back to after a built-in one.
    paletteFileAction_ = AddChoice(menu, palettes, QString(), QStringLiteral("paletteFile"),
                                   QStringLiteral("The palette file opened last"));
    paletteFileAction_->setVisible(false);
    connect(paletteFileAction_, &QAction::triggered, this, [this] {
        ColouringChoice next = explorer_->Colouring();
        next.smooth = true;
        next.palette = paletteFile_.palette;
        next.checksum = paletteFile_.checksum;
        explorer_->SetColouring(next, paletteFile_.stops);
    });
    QAction* open = menu->addAction(QStringLiteral("Open palette…"));
    open->setObjectName(QStringLiteral("openPalette"));
    open->setStatusTip(
        QStringLiteral("A palette file: Fractint .map, GIMP .gpl or .ggr, Ultra Fractal .ugr"));
    connect(open, &QAction::triggered, this, [this] {
        const QString path = choosePaletteFile();
        if (!path.isEmpty()) {
            OpenPalette(path);
        }
    });

    menu->addSeparator();
    connect(AddKeyed(menu, QStringLiteral("Denser colours"), QStringLiteral("denserColours"),
                     QStringLiteral("A pass through the palette spans half the iterations"),
                     QKeySequence(Qt::Key_D)),
            &QAction::triggered, explorer, [explorer] { explorer->ScaleDensity(true); });
    connect(AddKeyed(menu, QStringLiteral("Wider colours"), QStringLiteral("widerColours"),
                     QStringLiteral("A pass through the palette spans twice the iterations"),
                     QKeySequence(Qt::SHIFT | Qt::Key_D)),
            &QAction::triggered, explorer, [explorer] { explorer->ScaleDensity(false); });
    cycleAction_ = AddKeyed(menu, QStringLiteral("Cycle colours"), QStringLiteral("cycleColours"),
                            QStringLiteral("The palette flows through the picture until stopped"),
                            QKeySequence(Qt::Key_C));
    cycleAction_->setCheckable(true);
    connect(cycleAction_, &QAction::triggered, explorer,
            [explorer](bool on) { explorer->SetCycling(on); });
    connect(AddKeyed(menu, QStringLiteral("Palette back"), QStringLiteral("paletteBack"),
                     QStringLiteral("The palette a step back (1/64 of a pass)"),
                     QKeySequence(Qt::Key_Comma)),
            &QAction::triggered, explorer, [explorer] { explorer->StepOffset(-1); });
    connect(AddKeyed(menu, QStringLiteral("Palette on"), QStringLiteral("paletteOn"),
                     QStringLiteral("The palette a step on (1/64 of a pass)"),
                     QKeySequence(Qt::Key_Period)),
            &QAction::triggered, explorer, [explorer] { explorer->StepOffset(1); });

    menu->addSeparator();
    QMenu* samples = menu->addMenu(QStringLiteral("Supersample"));
    samples->setObjectName(QStringLiteral("supersampleMenu"));
    auto* sampleGroup = new QActionGroup(samples);
    for (const int n : {1, 2, 3, 4}) {
        const QString text = n == 1 ? QStringLiteral("Off") : QStringLiteral("%1 x %1").arg(n);
        QAction* action =
            AddChoice(samples, sampleGroup, text, QStringLiteral("supersample%1").arg(n),
                      n == 1 ? QStringLiteral("One sample a pixel")
                             : QStringLiteral("%1 samples a pixel, averaged in linear light: finer "
                                              "filaments, %1 times the time")
                                   .arg(n * n));
        connect(action, &QAction::triggered, explorer,
                [explorer, n] { explorer->SetSupersample(n); });
    }

    connect(explorer, &Explorer::colouringChanged, this, [this] {
        UpdateColourMenu();
        UpdateStatus(std::nullopt);
    });
    UpdateColourMenu();
}

void TFormTelvarn::UpdateColourMenu() {
    const ColouringChoice& c = explorer_->Colouring();
    const auto check = [this](const QString& name) {
        if (auto* action = MainMenu1->findChild<QAction*>(name)) {
            action->setChecked(true);
        }
    };
    check(c.smooth ? QStringLiteral("smoothColours") : QStringLiteral("presetColours"));
    if (FindBuiltinPalette(c.palette) != nullptr) {
        check(QStringLiteral("palette_") + QString::fromStdString(c.palette));
    } else {
        paletteFile_ = {c.palette, c.checksum, explorer_->PaletteStops()};
        // The file's name as the user knows it, with its gradient.
        const QString palette = QString::fromStdString(c.palette);
        const QString file = QFileInfo(palette).fileName();
        paletteFileAction_->setText(file);
        paletteFileAction_->setVisible(true);
        paletteFileAction_->setChecked(true);
    }
    cycleAction_->setChecked(explorer_->Cycling());
    check(QStringLiteral("supersample%1").arg(c.supersample));
}

bool TFormTelvarn::OpenPalette(const QString& path) {
    const std::string native = QFile::encodeName(path).toStdString();
    std::optional<std::string> gradient;
    if (path.endsWith(QStringLiteral(".ugr"), Qt::CaseInsensitive)) {
        // A file of several gradients: which one. One the reader cannot
        // open says why below.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.read(static_cast<qint64>(kMaxPaletteFileBytes));
            const std::vector<std::string> names =
                UgrGradientNames(std::string_view(bytes.constData(), bytes.size()));
            if (names.size() > 1) {
                QStringList items;
                for (const std::string& name : names) {
                    items.push_back(QString::fromStdString(name));
                }
                const qsizetype chosen = items.indexOf(chooseGradient(items));
                if (chosen < 0) {
                    return false;
                }
                gradient = names[static_cast<size_t>(chosen)];
            }
        }
    }
    PaletteResult read = LoadPalette(native, gradient);
    if (!read) {
        report(QMessageBox::Warning, InWindowWords(read.error));
        return false;
    }
    ColouringChoice next = explorer_->Colouring();
    next.smooth = true;
    // As galleri-render's --palette takes it: FILE.ugr:NAME for one gradient.
    next.palette = gradient ? native + ":" + *gradient : native;
    next.checksum = PaletteChecksumText(read.palette->stops);
    return explorer_->SetColouring(next, std::move(read.palette->stops));
}

}  // namespace galleri
