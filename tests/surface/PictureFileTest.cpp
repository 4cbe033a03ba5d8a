#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "surface/BmpEncoder.h"
#include "surface/JpegEncoder.h"
#include "surface/PictureFile.h"
#include "surface/PngEncoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace galleri {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        char templ[] = "/tmp/galleri-picture-XXXXXX";
        path_ = mkdtemp(templ);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }
    size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

  private:
    fs::path path_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A picture whose every pixel differs, with distinct red, green and blue
// bytes and a set top byte (which files ignore).
Bitmap Pattern(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t r = (x * 37u) & 0xFF, g = (y * 91u) & 0xFF, bl = (x * y + 7u) & 0xFF;
            b.Set(x, y, 0x5A000000u | bl << 16 | g << 8 | r);
        }
    }
    return b;
}

TEST(FormatForName, ExtensionCases) {
    EXPECT_EQ(FormatForName("bild.JPG"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName("bild.jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName("bild.jpeg"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName("bild.JpEg"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName("/tmp/a/bild.jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName(".jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(FormatForName("bild.png"), PictureFormat::Png);
    EXPECT_EQ(FormatForName("BILD.PNG"), PictureFormat::Png);
    EXPECT_EQ(FormatForName("bild.jpe"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("bild.bmp"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("bild"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("bild.jpg.bak"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("bild.jpgx"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("bild."), PictureFormat::Bmp);
}

TEST(FormatForName, DotInFolderNameDoesNotCount) {
    EXPECT_EQ(FormatForName("pictures.jpg/bild"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("/home/u/x.png/bild"), PictureFormat::Bmp);
    EXPECT_EQ(FormatForName("a.jpeg/b.png"), PictureFormat::Png);
}

// What libjpeg reads back from a file.
struct JpegInfo {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = false, arithmetic = false;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    std::vector<std::vector<UINT16>> quant;  // tables 0 and 1
    std::vector<unsigned char> rgb;
};

JpegInfo ReadJpeg(const std::string& bytes) {
    JpegInfo info;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        info.ok = true;
        info.width = static_cast<int>(cinfo.image_width);
        info.height = static_cast<int>(cinfo.image_height);
        info.components = cinfo.num_components;
        info.progressive = cinfo.progressive_mode;
        info.arithmetic = cinfo.arith_code;
        info.colourSpace = cinfo.jpeg_color_space;
        for (int t = 0; t < 2; ++t) {
            std::vector<UINT16> q;
            if (cinfo.quant_tbl_ptrs[t]) {
                q.assign(cinfo.quant_tbl_ptrs[t]->quantval, cinfo.quant_tbl_ptrs[t]->quantval + 64);
            }
            info.quant.push_back(q);
        }
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        info.rgb.resize(static_cast<size_t>(info.width) * info.height * 3);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row =
                info.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * info.width * 3;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return info;
}

// The quantisation tables libjpeg makes for quality 90 with baseline tables.
std::vector<std::vector<UINT16>> Quality90Tables() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    std::vector<std::vector<UINT16>> tables;
    for (int t = 0; t < 2; ++t) {
        tables.emplace_back(cinfo.quant_tbl_ptrs[t]->quantval,
                            cinfo.quant_tbl_ptrs[t]->quantval + 64);
    }
    jpeg_destroy_compress(&cinfo);
    return tables;
}

TEST(SavePicture, JpegIsBaselineQuality90WithThreeComponents) {
    TempDir dir;
    const Bitmap picture = Pattern(37, 21);
    for (const char* name : {"bild.JPG", "bild.jpeg", "bild.JpEg"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.File(name);
        SavePicture(picture, path);
        const std::string bytes = ReadAll(path);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
        EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
        // A baseline frame header (SOF0) and no progressive one (SOF2).
        EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos);
        EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos);

        const JpegInfo info = ReadJpeg(bytes);
        ASSERT_TRUE(info.ok);
        EXPECT_EQ(info.width, 37);
        EXPECT_EQ(info.height, 21);
        EXPECT_EQ(info.components, 3);
        EXPECT_EQ(info.colourSpace, JCS_YCbCr);
        EXPECT_FALSE(info.progressive);
        EXPECT_FALSE(info.arithmetic);
        EXPECT_EQ(info.quant, Quality90Tables());
    }
}

TEST(SavePicture, JpegColoursKeepRedInLowestByteAndRowsTopDown) {
    TempDir dir;
    // Flat blocks survive JPEG's loss well: red on top, blue below.
    Bitmap picture(32, 32, 0x0000FF);
    picture.FillRect(32, 16, 0x0000FF);
    for (int y = 16; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            picture.Set(x, y, 0xFF0000);
        }
    }
    SavePicture(picture, dir.File("c.jpg"));
    const JpegInfo info = ReadJpeg(ReadAll(dir.File("c.jpg")));
    ASSERT_TRUE(info.ok);
    auto at = [&](int x, int y, int c) { return info.rgb[(y * 32 + x) * 3 + c]; };
    EXPECT_GT(at(4, 4, 0), 240);  // red on top
    EXPECT_LT(at(4, 4, 2), 15);
    EXPECT_LT(at(4, 28, 0), 15);  // blue below
    EXPECT_GT(at(4, 28, 2), 240);
}

void ExpectPixelExact(const QImage& image, const Bitmap& picture) {
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.width(), picture.Width());
    ASSERT_EQ(image.height(), picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const uint32_t v = picture.Get(x, y);
            ASSERT_EQ(static_cast<uint32_t>(qRed(p)), v & 0xFF) << x << "," << y;
            ASSERT_EQ(static_cast<uint32_t>(qGreen(p)), (v >> 8) & 0xFF) << x << "," << y;
            ASSERT_EQ(static_cast<uint32_t>(qBlue(p)), (v >> 16) & 0xFF) << x << "," << y;
        }
    }
}

TEST(SavePicture, PngAndBmpArePixelExactAndInTheirOwnFormat) {
    TempDir dir;
    const Bitmap picture = Pattern(53, 17);
    struct Case {
        const char* name;
        const char* magic;
        const char* qtFormat;
    };
    for (const Case& c : {Case{"bild.png", "\x89PNG", "png"}, Case{"BILD.PNG", "\x89PNG", "png"},
                          Case{"bild.bmp", "BM", "bmp"}, Case{"bild.jpe", "BM", "bmp"},
                          Case{"bild", "BM", "bmp"}}) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        SavePicture(picture, path);
        const std::string bytes = ReadAll(path);
        EXPECT_EQ(bytes.rfind(c.magic, 0), 0u);
        ExpectPixelExact(QImage(QString::fromStdString(path), c.qtFormat), picture);
    }
}

TEST(SavePicture, ReplacesAnExistingFileAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const std::string path = dir.File("bild.png");
    WriteAll(path, "old contents");
    SavePicture(Pattern(5, 4), path);
    ExpectPixelExact(QImage(QString::fromStdString(path)), Pattern(5, 4));
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SavePicture, EmptyPictureWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("bild.jpg");
    try {
        SavePicture(Bitmap(), path);
        FAIL() << "no error";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.Path(), path);
        EXPECT_EQ(e.Reason(), "the picture is empty");
    }
    EXPECT_FALSE(fs::exists(path));
    WriteAll(path, "kept");
    EXPECT_THROW(SavePicture(Bitmap(0, 7), path), SaveError);
    EXPECT_EQ(ReadAll(path), "kept");
}

// The error for a save that must fail, checked to name the path and a reason.
SaveError FailedSave(const Bitmap& picture, const std::string& path) {
    try {
        SavePicture(picture, path);
    } catch (const SaveError& e) {
        EXPECT_EQ(e.Path(), path);
        EXPECT_FALSE(e.Reason().empty());
        EXPECT_NE(std::string(e.what()).find(QuoteForMessage(path)), std::string::npos);
        return e;
    }
    ADD_FAILURE() << "saving " << path << " did not fail";
    return SaveError(path, "");
}

TEST(SavePicture, MissingFolderOrFileAsFolderFails) {
    TempDir dir;
    const Bitmap picture = Pattern(4, 4);
    FailedSave(picture, dir.File("missing/bild.png"));
    WriteAll(dir.File("plain"), "a file, not a folder");
    FailedSave(picture, dir.File("plain/bild.jpg"));
    EXPECT_EQ(ReadAll(dir.File("plain")), "a file, not a folder");
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SavePicture, TargetThatIsAFolderIsLeftAlone) {
    TempDir dir;
    fs::create_directory(dir.File("sub.png"));
    FailedSave(Pattern(4, 4), dir.File("sub.png"));
    EXPECT_TRUE(fs::is_directory(dir.File("sub.png")));
    EXPECT_EQ(dir.Entries(), 1u);
}

// A full device must be written in place, never replaced by a plain file.
// The test makes its own "full" device node (as /dev/full) and a link to it,
// so a fault cannot harm the system's /dev/full.
TEST(SavePicture, FullDeviceReportsNoSpaceAndStaysADevice) {
    TempDir dir;
    const std::string device = dir.File("full");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "cannot make a device node here (needs root)";
    }
    fs::create_symlink(device, dir.File("link.png"));
    for (const std::string& path : {device, dir.File("link.png")}) {
        SCOPED_TRACE(path);
        const SaveError e = FailedSave(Pattern(4, 4), path);
        EXPECT_NE(e.Reason().find("No space left on device"), std::string::npos) << e.Reason();
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(dir.Entries(), 2u);
}

TEST(SavePicture, EncoderFailureKeepsExistingFile) {
    TempDir dir;
    const std::string path = dir.File("wide.jpg");
    WriteAll(path, "previous picture");
    // libjpeg refuses sides over 65500 pixels.
    const SaveError e = FailedSave(Bitmap(65501, 1), path);
    EXPECT_NE(e.Reason().find("65500"), std::string::npos) << e.Reason();
    EXPECT_EQ(ReadAll(path), "previous picture");
    EXPECT_EQ(dir.Entries(), 1u);
}

// A write that runs out of room half-way (a file size limit stands in for a
// full disk) leaves the existing file as it was and no temporary file behind.
// Runs in a child process so the limit does not touch the test runner.
TEST(SavePicture, WriteFailingHalfWayKeepsExistingFile) {
    TempDir dir;
    const std::string path = dir.File("bild.bmp");
    WriteAll(path, "previous picture");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 1000;
        setrlimit(RLIMIT_FSIZE, &limit);
        int code = 2;
        try {
            SavePicture(Pattern(100, 100), path);  // about 30 kB
            code = 1;
        } catch (const SaveError& e) {
            code = e.Reason() == "File too large" ? 0 : 3;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 3: not the system's reason";
    EXPECT_EQ(ReadAll(path), "previous picture");
    EXPECT_EQ(dir.Entries(), 1u);
}

// A picture of random colours: it compresses badly, so every encoder fills
// its buffer several times over.
Bitmap Noise(int w, int h) {
    Bitmap b(w, h);
    uint32_t state = 12345;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            b.Set(x, y, state >> 1);
        }
    }
    return b;
}

// The bytes the toolkit's own writer makes of the picture.
std::string WrittenByQt(const Bitmap& picture, const char* format) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t v = picture.Get(x, y);
            image.setPixel(x, y, qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes.toStdString();
}

// PNG and bitmap files are written row by row from the picture, yet they are
// the very bytes the toolkit writes, padding of odd widths included.
TEST(SavePicture, PngAndBmpAreTheBytesTheToolkitWrites) {
    TempDir dir;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{53, 17}, {1, 1}, {2, 3}, {4, 2}}) {
        for (const char* format : {"png", "bmp"}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + format);
            const Bitmap picture = Pattern(w, h);
            const std::string path = dir.File(std::string("bild.") + format);
            SavePicture(picture, path);
            EXPECT_EQ(ReadAll(path), WrittenByQt(picture, format));
        }
    }
}

// The comment markers of a JPEG, read back with libjpeg.
std::vector<std::string> JpegComments(const std::string& bytes) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    std::vector<std::string> comments;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        comments.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
    }
    jpeg_destroy_decompress(&cinfo);
    return comments;
}

TEST(SavePicture, TextGoesIntoPngAndJpegOnlyWhenGiven) {
    TempDir dir;
    const Bitmap picture = Pattern(20, 10);
    const std::string png = dir.File("t.png"), jpg = dir.File("t.jpg");
    for (const std::string& text : {std::string("m_1 at 483x609"),
                                    std::string("tr\xC3\xA4"
                                                "d, -0.75,-0.74"),
                                    std::string(300, 'x')}) {
        SCOPED_TRACE(text);
        SavePicture(picture, png, text);
        EXPECT_EQ(QImage(QString::fromStdString(png)).text(QStringLiteral("Galleri")),
                  QString::fromStdString(text));
        SavePicture(picture, jpg, text);
        EXPECT_EQ(JpegComments(ReadAll(jpg)), std::vector<std::string>{text});
        ExpectPixelExact(QImage(QString::fromStdString(png)), picture);
    }
    SavePicture(picture, png, "");
    EXPECT_TRUE(QImage(QString::fromStdString(png)).textKeys().isEmpty());
    SavePicture(picture, jpg, "");
    EXPECT_TRUE(JpegComments(ReadAll(jpg)).empty());
    EXPECT_EQ(ReadAll(png), WrittenByQt(picture, "png"));
}

// Takes `limit` writes, then fails as a full disk would.
class FailingSink : public ByteSink {
  public:
    explicit FailingSink(int limit) : limit_(limit) {}
    void Write(const void*, size_t) override {
        if (writes++ == limit_) {
            throw SaveError("sink", "No space left on device");
        }
    }
    int writes = 0;

  private:
    int limit_;
};

// What the file throws, at the first write or once the encoder's buffer has
// already gone out, comes out of every encoder as it was thrown.
TEST(Encoders, FailingWritePassesThrough) {
    const Bitmap picture = Noise(700, 700);
    const std::vector<std::pair<const char*, std::function<void(ByteSink&)>>> encoders = {
        {"jpeg", [&](ByteSink& out) { EncodeJpeg(picture, out); }},
        {"png", [&](ByteSink& out) { EncodePng(picture, out, {}); }},
        {"bmp", [&](ByteSink& out) { EncodeBmp(picture, out, {}); }},
    };
    for (const auto& [name, encode] : encoders) {
        for (int limit : {0, 1, 3}) {
            SCOPED_TRACE(std::string(name) + " after " + std::to_string(limit));
            FailingSink sink(limit);
            EXPECT_THROW(encode(sink), SaveError);
            EXPECT_EQ(sink.writes, limit + 1);
        }
    }
}

// libjpeg failing inside, after its buffer has gone to the file once (as when
// it runs out of memory): a save error with libjpeg's reason, the old file
// kept, nothing left behind.
TEST(SavePicture, LibjpegFailingAfterItsFirstBufferKeepsExistingFile) {
    TempDir dir;
    const std::string path = dir.File("bild.jpg");
    WriteAll(path, "previous picture");
    SetJpegFaultHook([](int flushes) { return flushes == 2; });
    const SaveError e = FailedSave(Noise(700, 700), path);
    SetJpegFaultHook(nullptr);
    EXPECT_NE(e.Reason().find("Insufficient memory"), std::string::npos) << e.Reason();
    EXPECT_TRUE(ReadAll(path) == "previous picture");
    EXPECT_EQ(dir.Entries(), 1u);
}

// File names are bytes: names that are not UTF-8 are written as given, also
// in a folder whose name is not UTF-8, and a message shows them escaped.
TEST(SavePicture, NamesThatAreNotUtf8AreWrittenAsGiven) {
    TempDir dir;
    const std::string folder = dir.File("lat\xE9");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    for (const char* name : {"latin\xE4.png", "latin\xE4.jpg", "latin\xE4.bmp", "latin\xEF.bmp"}) {
        SavePicture(Pattern(5, 4), folder + "/" + name);
    }
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"latin\xE4.bmp", "latin\xE4.jpg", "latin\xE4.png",
                                               "latin\xEF.bmp"}));
    const SaveError e = FailedSave(Pattern(4, 4), folder + "/no\nsuch/x.png");
    EXPECT_NE(std::string(e.what()).find("lat\\xE9/no\\nsuch/x.png'"), std::string::npos)
        << e.what();
    EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
}

// Replacing a file keeps what was true of it: a link stays a link, now to the
// new picture, and the file keeps its permissions.
TEST(SavePicture, ReplacingKeepsLinkAndPermissions) {
    TempDir dir;
    const std::string real = dir.File("real.png");
    WriteAll(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.png", dir.File("link.png"));
    SavePicture(Pattern(5, 4), dir.File("link.png"));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.png")));
    ExpectPixelExact(QImage(QString::fromStdString(real)), Pattern(5, 4));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.Entries(), 2u);
}

// A pipe is written in place, as a device is: renaming a file over it would
// put a plain file where the reader waits. /dev/stdout into a pipe is such a
// path: a link to /proc/self/fd/1, whose own link names no file.
TEST(SavePicture, PipeIsWrittenInPlace) {
    TempDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
            received.append(buffer, static_cast<size_t>(n));
        }
    });
    const std::string path = "/proc/self/fd/" + std::to_string(fds[1]);
    EXPECT_NO_THROW(SavePicture(Pattern(30, 20), path));
    close(fds[1]);
    reader.join();
    close(fds[0]);
    // The name has no extension: a bitmap file.
    SavePicture(Pattern(30, 20), dir.File("file.bmp"));
    EXPECT_TRUE(received == ReadAll(dir.File("file.bmp")));
}

TEST(FormatLimit, SizesAFormatCannotHold) {
    struct Case {
        PictureFormat format;
        int width, height;
        const char* reason;  // empty: the format holds it
    };
    for (const Case& c :
         {Case{PictureFormat::Jpeg, 65500, 65500, ""},
          Case{PictureFormat::Jpeg, 65501, 1, "65500 pixels"},
          Case{PictureFormat::Jpeg, 1, 65501, "65500 pixels"},
          Case{PictureFormat::Png, 65535, 65535, ""}, Case{PictureFormat::Bmp, 26000, 27000, ""},
          Case{PictureFormat::Bmp, 30000, 30000, "2 GB"},
          Case{PictureFormat::Bmp, 65535, 65535, "2 GB"}}) {
        const std::string limit = FormatLimit(c.format, c.width, c.height);
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + ": " + limit);
        EXPECT_EQ(limit.empty(), *c.reason == '\0');
        EXPECT_NE(limit.find(c.reason), std::string::npos);
    }
}

}  // namespace
}  // namespace galleri
