#include "ui/report/report_window.h"

#include <gtest/gtest.h>

#include "ui/report/scripted_network.h"

namespace quilbert::ui {
namespace {

using testing::resource;
using testing::ScriptedNetwork;
using Lines = std::vector<std::string>;

struct ReportWindowTest : ::testing::Test {
  testing::ScriptedProgram p;
  ReportWindow report{p.g.program};

  // Opens the report, lets `act` look at it, then closes it with its button.
  void open(const std::function<void(ReportForm&)>& act) {
    p.tk.expectModal("Form1", [&](forms::Form& f) {
      auto& form = dynamic_cast<ReportForm&>(f);
      act(form);
      if (form.loaded()) form.Command1.click();
    });
    report.show();
    EXPECT_FALSE(report.isOpen());
  }
  // Opens the report, lets it build, and returns its two lists.
  std::pair<Lines, Lines> build() {
    std::pair<Lines, Lines> lists;
    open([&](ReportForm& f) {
      p.tk.advance(200);
      lists = {f.text1.items(), f.text2.items()};
    });
    return lists;
  }
};

TEST_F(ReportWindowTest, ShowsItsTextsAndBuildsOnlyAfterItsTimer) {
  p.drives.network('N', "\\\\SRV\\data");
  p.net.add(ScriptedNetwork::kTop, resource(6, false, "Net"));
  open([&](ReportForm& f) {
    EXPECT_EQ(f.caption(), "m116");
    EXPECT_EQ(f.Label1.caption(), "m117 :");
    EXPECT_EQ(f.Label3.caption(), "m118 :");
    EXPECT_EQ(f.Label4.caption(), "m113 :");
    EXPECT_EQ(f.Command1.caption(), "m112");
    EXPECT_TRUE(p.tk.isTopMost(f));
    p.tk.advance(199);
    EXPECT_TRUE(f.text1.items().empty());
    EXPECT_TRUE(f.Label2.caption().empty());
    p.tk.advance(1);
    EXPECT_EQ(f.text1.items(), Lines{"m115 N: - \\\\SRV\\data"});
    EXPECT_EQ(f.text2.items(), (Lines{"m124", "Net "}));
    EXPECT_EQ(f.Label2.caption(), "tester");
    EXPECT_FALSE(f.firstpass);
    EXPECT_EQ(p.tk.mousePointer(), forms::MousePointer::Default);
    p.tk.advance(5000);  // the timer fires once
    EXPECT_EQ(f.text1.items().size(), 1U);
  });
  const auto& pointers = p.tk.pointerHistory();
  EXPECT_NE(std::find(pointers.begin(), pointers.end(), forms::MousePointer::Hourglass),
            pointers.end());
}

TEST_F(ReportWindowTest, ListsEachNetworkDriveOnceInLetterOrder) {
  EXPECT_TRUE(build().first.empty());  // no drive at all

  p.drives.local('C', 2);
  p.drives.network('Z', "\\\\SRV\\z");
  p.drives.network('Y', "\\\\SRV\\y");
  p.drives.network('H', "\\\\SRV\\home");  // I, right after it, names no drive
  p.drives.local('J', 4);
  EXPECT_EQ(build().first,
            (Lines{"m115 H: - \\\\SRV\\home", "m115 Y: - \\\\SRV\\y", "m115 Z: - \\\\SRV\\z"}));
}

TEST_F(ReportWindowTest, ShowsTheUserInLowerCaseOrTheUnknownUser) {
  auto user = [&] {
    std::string name;
    open([&](ReportForm& f) {
      p.tk.advance(200);
      name = f.Label2.caption();
    });
    return name;
  };
  p.net.userBuffer = std::string("JDUPONT\0\0\0\0", 11);
  EXPECT_EQ(user(), "jdupont");
  p.net.userBuffer = std::string("   \0garbage", 11);
  EXPECT_EQ(user(), "m114");
  p.net.userBuffer = "ÉLODIE";
  EXPECT_EQ(user(), "élodie");
  p.net.getUserResult = platform::neterr::kNoNetwork;
  EXPECT_EQ(user(), "m114");
}

TEST_F(ReportWindowTest, EachOpeningRebuildsTheWholeReport) {
  p.drives.network('K', "\\\\A\\k");
  const int srv = p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\A"));
  p.net.add(srv, resource(3, false, "\\\\A\\k"));
  const auto first = build();
  EXPECT_EQ(first.second.size(), 4U);
  EXPECT_EQ(build(), first);  // same network: the same report, nothing doubled

  p.drives.network('L', "\\\\A\\l");
  p.net.add(srv, resource(3, false, "\\\\A\\l"));
  const auto third = build();
  EXPECT_EQ(third.first.size(), 2U);
  EXPECT_EQ(third.second.size(), 6U);
}

TEST_F(ReportWindowTest, ClosesByItsCloseBoxOrOnRequest) {
  p.tk.expectModal("Form1", [&](forms::Form& f) {
    p.tk.advance(200);
    f.userClose();
  });
  report.show();
  EXPECT_FALSE(report.isOpen());

  // The main window closes it when it goes away (here: while it is building).
  p.net.onOpen = [&](const platform::NetResource*) { report.closeIfOpen(); };
  p.net.add(ScriptedNetwork::kTop, resource(2, true, "\\\\A"));
  p.tk.expectModal("Form1", [&](forms::Form&) { p.tk.advance(200); });
  report.show();
  EXPECT_FALSE(report.isOpen());
  EXPECT_EQ(p.net.openHandles, 0);
  EXPECT_EQ(p.tk.mousePointer(), forms::MousePointer::Default);
  report.closeIfOpen();  // nothing open: nothing happens
}

}  // namespace
}  // namespace quilbert::ui
