#include "ui/common/about_box.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/report/scripted_network.h"

namespace quilbert::ui {
namespace {

namespace fs = std::filesystem;

// The header of a BMP of w x h pixels: all a picture loader reads for its size.
void writeBmp(const fs::path& file, int w, int h) {
  std::string b(54, '\0');
  b[0] = 'B';
  b[1] = 'M';
  auto put = [&](std::size_t at, int v) {
    for (int k = 0; k < 4; ++k)
      b[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
  };
  put(14, 40);
  put(18, w);
  put(22, h);
  std::ofstream(file, std::ios::binary) << b;
}

struct AboutBoxTest : ::testing::Test {
  testing::ScriptedProgram p;
  fs::path langDir =
      fs::temp_directory_path() /
      ("quilbert_about_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  AboutBox about{p.g.program};

  AboutBoxTest() {
    fs::create_directories(langDir);
    writeBmp(langDir / "apropos_fr.bmp", 193, 247);  // 2,895 x 3,705 twips
    writeBmp(langDir / "apropos_gb.bmp", 193, 100);  // 2,895 x 1,500 twips
    p.g.places.LangDir = langDir.string() + "/";
  }
  ~AboutBoxTest() override { fs::remove_all(langDir); }

  // Opens the box, lets `act` look at it, then clicks it away.
  void open(const std::function<void(AboutForm&)>& act) {
    p.tk.expectModal("apropos", [&](forms::Form& f) {
      auto& form = dynamic_cast<AboutForm&>(f);
      act(form);
      if (form.loaded()) form.Picture1.click();
    });
    about.show();
  }
  std::string pictureFor(const std::string& languageFile) {
    p.g.config.LanguageFile = languageFile;
    std::string file;
    open([&](AboutForm& f) { file = fs::path(f.Picture4.picture().file).filename().string(); });
    return file;
  }
};

TEST_F(AboutBoxTest, PicksTheFrenchPictureOnlyForTheFrenchFile) {
  EXPECT_EQ(pictureFor("langage_fr.txt"), "apropos_fr.bmp");
  EXPECT_EQ(pictureFor("langage_gb.txt"), "apropos_gb.bmp");
  EXPECT_EQ(pictureFor("langage_de.txt"), "apropos_gb.bmp");
  EXPECT_EQ(pictureFor("LANGAGE_FR.TXT"), "apropos_gb.bmp");
  // A language never chosen becomes French, for the whole program.
  EXPECT_EQ(pictureFor(""), "apropos_fr.bmp");
  EXPECT_EQ(p.g.config.LanguageFile, "langage_fr.txt");
}

TEST_F(AboutBoxTest, RisesOneTwipPerTickUntilItsEndIsInView) {
  p.g.config.LanguageFile = "langage_gb.txt";
  open([&](AboutForm& f) {
    EXPECT_TRUE(p.tk.isTopMost(f));
    EXPECT_EQ(f.Picture4.rect(), (forms::Rect{240, 2340, 2895, 1500}));
    p.tk.advance(25 * 10);
    EXPECT_EQ(f.Picture4.top(), 2330);
    // H + 1 moves in all, H = 1,500: it stops one twip above 2,340 - H.
    p.tk.advance(25 * 1491);
    EXPECT_EQ(f.Picture4.top(), 2340 - 1501);
    EXPECT_TRUE(f.Timer1.timerEnabled());
    p.tk.advance(25);
    EXPECT_FALSE(f.Timer1.timerEnabled());
    p.tk.advance(60'000);
    EXPECT_EQ(f.Picture4.rect(), (forms::Rect{240, 2340 - 1501, 2895, 1500}));
  });
}

TEST_F(AboutBoxTest, ScrollsPicturesTallerThanSixteenBitsOfTwips) {
  writeBmp(langDir / "apropos_fr.bmp", 193, 3000);  // 45,000 twips
  p.g.config.LanguageFile = "langage_fr.txt";
  open([&](AboutForm& f) {
    EXPECT_EQ(f.scrollLimit(), 2340 - 45'000);
    p.tk.advance(25 * 45'002);
    EXPECT_FALSE(f.Timer1.timerEnabled());
    EXPECT_EQ(f.Picture4.top(), 2340 - 45'001);
  });
}

TEST_F(AboutBoxTest, AnyClickClosesItAtOnce) {
  for (int which = 0; which < 5; ++which) {
    open([&](AboutForm& f) {
      p.tk.advance(1000);
      forms::PictureBox* pictures[] = {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4};
      if (which < 4) {
        pictures[which]->click();
      } else {
        f.click();  // the strip of window below the pictures
      }
      EXPECT_FALSE(f.loaded());
    });
  }
  // Opening it again starts the scrolling from the bottom.
  open([&](AboutForm& f) { EXPECT_EQ(f.Picture4.top(), 2340); });
}

TEST_F(AboutBoxTest, AMissingPictureLeavesAnEmptyPanel) {
  fs::remove(langDir / "apropos_fr.bmp");
  p.g.config.LanguageFile = "langage_fr.txt";
  open([&](AboutForm& f) {
    EXPECT_FALSE(f.Picture4.visible());
    EXPECT_FALSE(f.Timer1.timerEnabled());
    f.Picture2.click();
    EXPECT_FALSE(f.loaded());
  });
}

}  // namespace
}  // namespace quilbert::ui
