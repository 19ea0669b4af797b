// A description is refused with one message naming the file and the line; the
// shipped demo network is a valid one with what the demo needs.
#include "sim_test_support.h"

namespace quilbert::sim::testing {
namespace {

namespace err = platform::neterr;

std::string refusal(const std::string& text) {
  try {
    SimNetwork net(parseDescription(text, "network.toml"));
  } catch (const DescriptionError& e) {
    return e.what();
  }
  return "(accepted)";
}

constexpr char kServer[] = "user = \"Claire\"\n[[server]]\nname = \"ATLAS\"\n";  // lines 1-3

struct Refused {
  std::string text;
  std::string message;
};

TEST(SimDescription, EachFaultIsRefusedWithItsFileAndLine) {
  const std::vector<Refused> cases = {
      {"user = \n",
       "network.toml:1: Error while parsing key-value pair: expected value, saw '\\n'"},
      {"user = \"a\"\nuser = \"b\"\n",
       "network.toml:2: Error while parsing key-value pair: cannot redefine existing string "
       "'user'"},
      {std::string(kServer) + "reachable = \"no\"\n",
       "network.toml:4: \"reachable\" of server \"ATLAS\" must be true or false"},
      {std::string(kServer) + "\n[[server.share]]\nname = \"docs\"\ncoment = \"x\"\n",
       "network.toml:7: unknown key \"coment\" in share \"docs\""},
      {std::string(kServer) + "[[server.share]]\ncomment = \"x\"\n",
       "network.toml:4: a share of server \"ATLAS\" has no \"name\""},
      {std::string(kServer) + "[[server]]\nname = \"atlas\"\n",
       "network.toml:4: server \"atlas\" is described twice (first at line 2)"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\"\n[[server.share]]\nname = \"A\"\n",
       "network.toml:6: share \"A\" of server \"ATLAS\" is described twice"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\\\\b\"\n",
       "network.toml:4: share \"a\\b\" of server \"ATLAS\" must not contain a backslash or a "
       "slash"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\"\nopen_files = -1\n",
       "network.toml:6: \"open_files\" of share \"a\" must be 0 to 1000000"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\"\nusers = { bob = 1 }\n",
       "network.toml:6: the password of user \"bob\" of share \"a\" must be a string"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\"\nfolders = \"x\"\n",
       "network.toml:6: \"folders\" of share \"a\" must be a list of strings"},
      {std::string(kServer) + "[[server.share]]\nname = \"a\"\nfolders = [\"x//y\"]\n",
       "network.toml:4: share \"a\" has a bad folder \"x//y\""},
      {"user = \"C\"\n[drives]\nC = 2\nCC = 2\n",
       "network.toml:4: \"CC\" is not a drive letter (write a single letter A to Z)"},
      {"user = \"C\"\n[drives]\nC = 2\nc = 4\n", "network.toml:4: drive C is described twice"},
      {"user = \"C\"\n[drives]\nC = \"floppy\"\n",
       "network.toml:3: drive C must be 0 to 5 or one of unknown, removable, fixed, network, "
       "cdrom, ramdisk"},
      {"user = \"C\"\n[drives]\nC = 6\n",
       "network.toml:3: drive C must be 0 to 5 or one of unknown, removable, fixed, network, "
       "cdrom, ramdisk"},
      {"[drives]\nC = 2\n", "network.toml:1: the description has no \"user\""},
      {"user = \"C\"\ncolour = \"red\"\n",
       "network.toml:2: unknown key \"colour\" in the description"},
      {"user = \"C\"\n[server]\nname = \"A\"\n",
       "network.toml:2: \"server\" must be written as [[server]] tables"},
      {"user = \"C\"\n[[workgroup]]\nname = \"W1\"\n[[workgroup]]\nname = \"W2\"\n[[server]]\nname "
       "= \"A\"\n",
       "network.toml:6: server \"A\" has no \"workgroup\" (there are several)"},
      {"user = \"C\"\n[[workgroup]]\nname = \"W1\"\n[[server]]\nname = \"A\"\nworkgroup = \"W2\"\n",
       "network.toml:6: server \"A\" names unknown workgroup \"W2\""},
      {"user = \"C\"\n[[workgroup]]\nname = \"W\"\n[[workgroup]]\nname = \"w\"\n",
       "network.toml:4: workgroup \"w\" is described twice (first at line 2)"},
      {"user = \"C\"\n[[workgroup]]\nname = \"W\"\nprovider = \"NetWare\"\n",
       "network.toml:4: workgroup \"W\" names unknown provider \"NetWare\""},
      {"user = \"C\"\n[[server]]\nname = \"\"\n", "network.toml:2: a server has an empty name"},
      {"user = \"C\"\n[[server]]\nname = \"A B\"\n",
       "network.toml:2: server \"A B\" must not contain a backslash, a slash or a space"},
      {"user = \"C\"\n[generate]\nworkgroups = 100\nservers = 1000\nshares = 1000\n",
       "network.toml:2: generate makes 100000000 shares, more than 2000000"},
      {"user = \"C\"\n[generate]\nshare = 3\n",
       "network.toml:3: unknown key \"share\" in generate"},
  };
  for (const Refused& c : cases) EXPECT_EQ(refusal(c.text), c.message) << c.text;
}

TEST(SimDescription, AnyBytesAreRefusedOnOneLineNeverCrashed) {
  // A table header cut by a line break, characters that the TOML library
  // classifies wrongly, and malformed UTF-8 (overlong, C1 lead, surrogate,
  // beyond U+10FFFF, stray continuation byte).
  const std::vector<Refused> cases = {
      {"[\n", "network.toml:1: "},
      {"\xd2\x89", "network.toml:1: "},
      {"user = \"a\"\n\xc5\xa2 = 1\n", "network.toml:2: "},
      {"user = \"a\" \xc3\xa9\n", "network.toml:1: "},
      {"user = \"\xc0\x8a\"\n", "network.toml:1: invalid UTF-8 (byte C0)"},
      {"# \xc1\x90\n", "network.toml:1: invalid UTF-8 (byte C1)"},
      {"\n\nuser = '\xed\xa0\x80'", "network.toml:3: invalid UTF-8 (byte ED)"},
      {"user = '\xf4\x90\x80\x80'", "network.toml:1: invalid UTF-8 (byte F4)"},
      {"user = '\x80'", "network.toml:1: invalid UTF-8 (byte 80)"},
  };
  for (const auto& c : cases) {
    const std::string message = refusal(c.text);
    EXPECT_EQ(message.rfind(c.message, 0), 0U) << message;
    EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
  }
  // Well-formed non-ASCII text where TOML allows it is still read.
  EXPECT_EQ(refusal("user = \"Cl\xc3\xa9ment \xd2\x89\" # \xc5\xa2\n"), "(accepted)");
}

TEST(SimDescription, AMissingFileIsRefusedByName) {
  TempDir dir;
  try {
    SimNetwork::open(dir.path() / "nowhere.toml");
    FAIL() << "accepted";
  } catch (const DescriptionError& e) {
    EXPECT_EQ(std::string(e.what()), (dir.path() / "nowhere.toml").string() + ": cannot be read");
  }
}

TEST(SimDescription, AnErrorInAFileNamesThePathAsGiven) {
  TempDir dir;
  const fs::path file = dir.write("network.toml", "user = \"Claire\"\n\n[[server]]\nnom = \"x\"\n");
  try {
    SimNetwork::open(file);
    FAIL() << "accepted";
  } catch (const DescriptionError& e) {
    EXPECT_EQ(std::string(e.what()), file.string() + ":3: a server has no \"name\"");
  }
}

TEST(SimDescription, ASmallNetworkNeedsNoProviderNorWorkgroup) {
  SimNetwork net(parseDescription(
      "user = \"C\"\n[[server]]\nname = \"S\"\n[[server.share]]\nname = \"x\"\n", "n.toml"));
  EXPECT_EQ(walkNetwork(net).found[1].remoteName, "WORKGROUP");
  EXPECT_EQ(walkNetwork(net).found[0].remoteName, "Microsoft Windows Network");
}

TEST(SimDescription, AShareWithUsersTakesNoGuestsUnlessItSaysSo) {
  NetworkSpec spec = parseDescription(std::string(kServer) +
                                          "[[server.share]]\nname = \"a\"\nusers = { b = \"p\" }\n"
                                          "[[server.share]]\nname = \"g\"\nusers = { b = \"p\" }\n"
                                          "guest = true\n[[server.share]]\nname = \"o\"\n",
                                      "n.toml");
  const auto& shares = spec.providers[0].workgroups[0].servers[0].shares;
  EXPECT_FALSE(shares[0].guest);
  EXPECT_TRUE(shares[1].guest);
  EXPECT_TRUE(shares[2].guest);
}

TEST(SimDescription, ANetworkBuiltInCodeIsCheckedToo) {
  NetworkSpec spec = generatedNetwork(1, 2, 1);
  spec.providers[0].workgroups[0].servers[1].name = "GEN01-SRV001";
  EXPECT_THROW(SimNetwork net(spec), DescriptionError);
  spec = generatedNetwork(1, 1, 1);
  spec.user.clear();
  EXPECT_THROW(SimNetwork net(spec), DescriptionError);
}

// --- the demo network ------------------------------------------------------------

class SimDemo : public ::testing::Test {
 protected:
  int add(const std::string& remote, const std::string& user = "",
          const std::string& password = "") {
    net->cancelConnection("Z:", 0, true);
    return net->addConnection(diskResource("Z:", remote), password, user, 0);
  }

  TempDir dir;
  std::unique_ptr<SimNetwork> net = SimNetwork::open(dir.write(
      "network.toml", TempDir::readFile(fs::path(QUILBERT_SOURCE_DIR) / "demo/network.toml")));
};

TEST_F(SimDemo, ClaireIsLoggedOnWithAFixedDiskAndACdRom) {
  std::string buffer(255, ' ');
  std::uint32_t length = 255;
  ASSERT_EQ(net->getUser("", buffer, length), err::kOk);
  EXPECT_EQ(buffer.substr(0, buffer.find('\0')), "Claire");
  EXPECT_EQ(driveText(*net, 'C'), "C: 2");
  EXPECT_EQ(driveText(*net, 'D'), "D: 4");
}

TEST_F(SimDemo, OneWorkgroupOfThreeServersAndTenShares) {
  Walk w = walkNetwork(*net);
  int workgroups = 0, servers = 0, shares = 0, commented = 0;
  for (const auto& r : w.found) {
    workgroups += r.displayType == platform::kDisplayDomain;
    servers += r.displayType == platform::kDisplayServer;
    shares += r.displayType == platform::kDisplayShare;
    commented += r.displayType == platform::kDisplayShare && r.comment.has_value();
  }
  EXPECT_EQ(workgroups, 1);
  EXPECT_EQ(servers, 3);
  EXPECT_EQ(shares, 8) << "HERMES's two shares are not listed: it cannot be reached";
  EXPECT_GE(commented, 6);
}

TEST_F(SimDemo, ShowsEachAnswerTheProgramHandles) {
  EXPECT_EQ(add(R"(\\ATLAS\documents)"), err::kOk);
  EXPECT_EQ(add(R"(\\ATLAS\paie)"), err::kLogonFailure);
  EXPECT_EQ(add(R"(\\ATLAS\paie)", "compta", "wrong"), err::kInvalidPassword);
  EXPECT_EQ(add(R"(\\ATLAS\paie)", "compta", "bilan2024"), err::kOk);
  EXPECT_EQ(add(R"(\\HERMES\archives)"), err::kNetworkUnreachable);
  EXPECT_EQ(add(R"(\\ATLAS\nothing)"), err::kBadNetName);
  EXPECT_EQ(add(R"(\\ZEUS\public)"), err::kBadNetPath);
  EXPECT_EQ(add(R"(\\MINERVE\claire)"), err::kOk);
  ASSERT_EQ(add(R"(\\ATLAS\projets)"), err::kOk);
  EXPECT_EQ(net->cancelConnection("Z:", 1, false), err::kOpenFiles);
}

}  // namespace
}  // namespace quilbert::sim::testing
