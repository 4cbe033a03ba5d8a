#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "surface/PictureFile.h"

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
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
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
            code = e.Reason().empty() ? 3 : 0;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 3: no reason";
    EXPECT_EQ(ReadAll(path), "previous picture");
    EXPECT_EQ(dir.Entries(), 1u);
}

}  // namespace
}  // namespace galleri
