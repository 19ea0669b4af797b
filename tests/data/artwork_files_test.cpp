// Checks the pictures delivered in ico/ and lang/: the names the program loads, the
// sizes and formats its windows are laid out for, and a few properties of what they
// show that the windows rely on (a light status area, seamless credits, greyed browse).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string readFile(const std::string& relative) {
  std::ifstream in(std::string(QUILBERT_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t u32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at))) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at + 1))) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at + 2))) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at + 3))) << 24;
}

std::uint16_t u16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) |
                                    static_cast<unsigned char>(b.at(at + 1)) << 8);
}

struct Rgb {
  int r, g, b;
  bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// An uncompressed 8- or 24-bit Windows bitmap, decoded to rows top to bottom.
struct Bitmap {
  int width = 0, height = 0, bits = 0;
  std::vector<Rgb> pixels;
  Rgb at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};

Bitmap decodeBmp(const std::string& b) {
  Bitmap bmp;
  if (b.size() < 54 || b.substr(0, 2) != "BM") return bmp;
  std::uint32_t dataAt = u32(b, 10);
  bmp.width = static_cast<int>(u32(b, 18));
  bmp.height = static_cast<int>(u32(b, 22));
  bmp.bits = u16(b, 28);
  if (u32(b, 30) != 0 || bmp.width <= 0 || bmp.height <= 0) return Bitmap{};
  std::size_t stride = (static_cast<std::size_t>(bmp.width) * bmp.bits / 8 + 3) / 4 * 4;
  if (b.size() < dataAt + stride * bmp.height) return Bitmap{};
  for (int y = 0; y < bmp.height; ++y) {
    std::size_t row = dataAt + stride * static_cast<std::size_t>(bmp.height - 1 - y);
    for (int x = 0; x < bmp.width; ++x) {
      if (bmp.bits == 8) {
        std::size_t entry = 14 + u32(b, 14) + 4 * static_cast<unsigned char>(b.at(row + x));
        bmp.pixels.push_back({static_cast<unsigned char>(b.at(entry + 2)),
                              static_cast<unsigned char>(b.at(entry + 1)),
                              static_cast<unsigned char>(b.at(entry))});
      } else if (bmp.bits == 24) {
        std::size_t p = row + 3 * static_cast<std::size_t>(x);
        bmp.pixels.push_back({static_cast<unsigned char>(b.at(p + 2)),
                              static_cast<unsigned char>(b.at(p + 1)),
                              static_cast<unsigned char>(b.at(p))});
      }
    }
  }
  return bmp;
}

Bitmap loadBmp(const std::string& relative) {
  return decodeBmp(readFile(relative));
}

std::size_t colourCount(const Bitmap& bmp) {
  return std::set<Rgb>(bmp.pixels.begin(), bmp.pixels.end()).size();
}

double luminance(Rgb c) {
  return (0.299 * c.r + 0.587 * c.g + 0.114 * c.b) / 255.0;
}

struct IconImage {
  int size;
  int bits;
  std::string payload;
};

// The images of an icon file; empty when the directory or a payload is malformed.
std::vector<IconImage> decodeIco(const std::string& b) {
  std::vector<IconImage> out;
  if (b.size() < 6 || u16(b, 0) != 0 || u16(b, 2) != 1) return out;
  int count = u16(b, 4);
  for (int i = 0; i < count; ++i) {
    std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
    if (b.size() < e + 16) return {};
    int size = static_cast<unsigned char>(b[e]) == 0 ? 256 : static_cast<unsigned char>(b[e]);
    std::uint32_t length = u32(b, e + 8), offset = u32(b, e + 12);
    if (b.size() < std::size_t{offset} + length || length < 40) return {};
    std::string payload = b.substr(offset, length);
    // A BMP payload: its header's height counts the colour image and the mask.
    if (u32(payload, 0) != 40 || static_cast<int>(u32(payload, 4)) != size ||
        static_cast<int>(u32(payload, 8)) != 2 * size) {
      return {};
    }
    out.push_back({size, u16(payload, 14), payload});
  }
  return out;
}

std::set<int> iconSizes(const std::string& relative) {
  std::set<int> sizes;
  for (const auto& image : decodeIco(readFile(relative))) sizes.insert(image.size);
  return sizes;
}

// Alpha of the pixel (x, y) of a 32-bit icon image, rows stored bottom to top.
int iconAlpha(const IconImage& image, int x, int y) {
  std::size_t p = 40 + 4 * static_cast<std::size_t>((image.size - 1 - y) * image.size + x);
  return static_cast<unsigned char>(image.payload.at(p + 3));
}

struct Expected {
  const char* file;
  int width, height, bits;
};

TEST(ArtworkFiles, BitmapsHaveTheSizesTheWindowsAreDesignedFor) {
  const Expected expected[] = {
      {"ico/splash.bmp", 222, 78, 8},       {"ico/about_banner.bmp", 222, 53, 8},
      {"ico/about_panel.bmp", 222, 156, 8}, {"ico/about_strip.bmp", 222, 13, 8},
      {"ico/browse1.bmp", 21, 13, 24},      {"ico/browse2.bmp", 21, 13, 24},
      {"ico/browse3.bmp", 21, 13, 24},      {"ico/dialog_warning.bmp", 48, 48, 24},
      {"ico/dialog_info.bmp", 48, 48, 24},
  };
  for (const auto& e : expected) {
    Bitmap bmp = loadBmp(e.file);
    EXPECT_EQ(bmp.width, e.width) << e.file;
    EXPECT_EQ(bmp.height, e.height) << e.file;
    EXPECT_EQ(bmp.bits, e.bits) << e.file;
    // a real picture, not a blank or flat rectangle
    EXPECT_GE(colourCount(bmp), 8u) << e.file;
  }
}

TEST(ArtworkFiles, DialogIconsExistAsTransparentPngToo) {
  for (const char* name : {"ico/dialog_warning.png", "ico/dialog_info.png"}) {
    std::string png = readFile(name);
    ASSERT_GE(png.size(), 33u) << name;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << name;
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(png[19], 48);  // width, big-endian
    EXPECT_EQ(png[23], 48);  // height
    EXPECT_EQ(png[25], 6);   // colour type: RGB with alpha
  }
  EXPECT_NE(readFile("ico/dialog_warning.bmp"), readFile("ico/dialog_info.bmp"));
}

TEST(ArtworkFiles, SplashLeavesALightAreaForTheStatusText) {
  Bitmap splash = loadBmp("ico/splash.bmp");
  ASSERT_EQ(splash.pixels.size(), 222u * 78u);
  // The status label covers pixels 4,44 to 217,73 and writes in dark brown.
  double sum = 0, darkest = 1;
  int n = 0;
  for (int y = 44; y < 73; ++y) {
    for (int x = 4; x < 217; ++x) {
      double l = luminance(splash.at(x, y));
      sum += l;
      darkest = std::min(darkest, l);
      ++n;
    }
  }
  EXPECT_GT(sum / n, 0.85);
  EXPECT_GT(darkest, 0.6);
  // and the name stands on a dark band above it
  EXPECT_LT(luminance(splash.at(3, 3)), 0.3);
}

TEST(ArtworkFiles, CreditsScrollOnThePanelsOwnBackground) {
  Bitmap panel = loadBmp("ico/about_panel.bmp");
  ASSERT_EQ(panel.pixels.size(), 222u * 156u);
  for (const char* name : {"lang/apropos_fr.bmp", "lang/apropos_gb.bmp"}) {
    Bitmap credits = loadBmp(name);
    ASSERT_FALSE(credits.pixels.empty()) << name;
    EXPECT_EQ(credits.width, 193) << name;   // 2,895 twips
    EXPECT_GT(credits.height, 156) << name;  // taller than the panel, so it scrolls
    EXPECT_EQ(credits.bits, 8) << name;
    // The picture's edges meet the panel where it lies (16 pixels in): no visible seam.
    for (int y : {0, credits.height / 2, credits.height - 1}) {
      EXPECT_EQ(credits.at(0, y), panel.at(16, 0)) << name << " left edge, row " << y;
      EXPECT_EQ(credits.at(192, y), panel.at(208, 0)) << name << " right edge, row " << y;
    }
    EXPECT_GE(colourCount(credits), 16u) << name;
  }
  EXPECT_NE(readFile("lang/apropos_fr.bmp"), readFile("lang/apropos_gb.bmp"));
}

TEST(ArtworkFiles, UnavailableBrowsePictureIsGreyed) {
  Bitmap grey = loadBmp("ico/browse3.bmp");
  ASSERT_EQ(grey.pixels.size(), 21u * 13u);
  for (const Rgb& c : grey.pixels) {
    EXPECT_LE(std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}), 24);
  }
  Bitmap one = loadBmp("ico/browse1.bmp");
  Bitmap two = loadBmp("ico/browse2.bmp");
  EXPECT_NE(one.pixels, two.pixels);
  EXPECT_NE(one.pixels, grey.pixels);
  // The pictures sit on the window's colour, RGB(236, 233, 216), in their corners.
  for (const Bitmap* b : {&one, &two, &grey}) {
    EXPECT_EQ(b->at(0, 0), (Rgb{236, 233, 216}));
  }
}

TEST(ArtworkFiles, ProgramIconsHaveTheirSizes) {
  std::set<int> window = iconSizes("ico/quilbert.ico");
  EXPECT_TRUE(window.contains(32));
  EXPECT_TRUE(window.contains(48));
  EXPECT_TRUE(iconSizes("ico/tray16.ico").contains(16));
}

TEST(ArtworkFiles, EveryThemeHasItsSevenDistinctButtonIcons) {
  const char* buttons[] = {"sauve", "effacer", "connection_in", "connection_ac", "annulmodif",
                           "sleep", "fin"};
  std::set<std::string> seen;
  for (std::string theme : {"windows", "sony", "beos"}) {
    for (const char* button : buttons) {
      // the program builds the name as ico\<theme>\<first letter>_<button>.ico
      std::string file = "ico/" + theme + "/" + theme[0] + "_" + button + ".ico";
      std::string bytes = readFile(file);
      std::vector<IconImage> images = decodeIco(bytes);
      std::set<int> sizes;
      for (const auto& image : images) {
        sizes.insert(image.size);
        EXPECT_EQ(image.bits, 32) << file;
      }
      EXPECT_TRUE(sizes.contains(16)) << file;
      EXPECT_TRUE(sizes.contains(32)) << file;
      EXPECT_TRUE(seen.insert(bytes).second) << file << " repeats another icon";
      // drawn on a transparent background, with something opaque in the middle
      for (const auto& image : images) {
        if (image.size != 32) continue;
        EXPECT_EQ(iconAlpha(image, 0, 31), 0) << file;
        int opaque = 0;
        for (int y = 8; y < 24; ++y) {
          for (int x = 8; x < 24; ++x) opaque += iconAlpha(image, x, y) == 255;
        }
        EXPECT_GT(opaque, 40) << file;
      }
    }
  }
  EXPECT_EQ(seen.size(), 21u);
}

}  // namespace
