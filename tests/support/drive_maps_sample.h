// One policy file as the console writes it, for the command line on every
// platform, and the configuration an import of it into no letters gives.
#pragma once

#include <string>

#include "app/config.h"

namespace quilbert::testing {

// F updated with the documentation's own cpassword example, G the first free
// letter from G on, H disabled, P targeted at a group (left out).
inline const char* const kDriveMapsSample =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Drives clsid=\"{8FDDCC1A-0C3C-43cd-A6B4-71A6DF20DA8C}\">"
    "<Drive clsid=\"{935D1B74-9CB8-4e3c-9914-7DD559B7A417}\" name=\"F:\" status=\"F:\" "
    "image=\"2\" changed=\"2024-03-01 09:12:45\" uid=\"{0C3C2F0B-1A0E-4A3C-9A11-3E8B7C0F6D21}\">"
    "<Properties action=\"U\" thisDrive=\"NOCHANGE\" allDrives=\"NOCHANGE\" "
    "userName=\"BUREAU\\claire\" cpassword=\"j1Uyj3Vx8TY9LtLZil2uAuZkFQA/4latT76ZwgdHdhw\" "
    "path=\"\\\\ATLAS\\documents\" label=\"\" persistent=\"1\" useLetter=\"1\" letter=\"F\"/>"
    "</Drive>\r\n"
    "<Drive name=\"G:\" clsid=\"{935D1B74-9CB8-4e3c-9914-7DD559B7A417}\"><Properties "
    "letter=\"G\" useLetter=\"0\" path=\"\\\\MINERVE\\scans\" action=\"C\"/></Drive>\r\n"
    "<Drive name=\"H:\" disabled=\"1\"><Properties action=\"R\" path=\"\\\\ATLAS\\public\" "
    "letter=\"H\"/></Drive>\r\n"
    "<Drive name=\"P:\"><Properties action=\"C\" path=\"\\\\ATLAS\\paie\" letter=\"P\"/>"
    "<Filters><FilterGroup bool=\"AND\" not=\"0\" name=\"BUREAU\\Compta\"/></Filters></Drive>\r\n"
    "</Drives>\r\n";

// An English configuration with no letter set up.
inline std::string emptyEnglishConfig() {
  std::string config;
  for (int k = 1; k <= 26; ++k) config += app::defaultDriveLine(k) + "\r\n";
  return config + "ide\r\nwindows\r\nlangage_gb.txt\r\nnres\r\n";
}

// That configuration after the sample's import.
inline std::string importedSampleConfig() {
  std::string config;
  for (int k = 1; k <= 26; ++k) {
    std::string line = app::defaultDriveLine(k);
    if (k == 6) {
      line = "1\tF\tBUREAU\\claire\t" + *app::ScramblePassword("Local*P4ssword!") +
             "\t\\\\ATLAS\\documents";
    }
    if (k == 7) line = "1\tG\t\t\t\\\\MINERVE\\scans";
    if (k == 8) line = "0\tH\t\t\t\\\\ATLAS\\public";
    config += line + "\r\n";
  }
  return config + "ide\r\nwindows\r\nlangage_gb.txt\r\nnres\r\n";
}

}  // namespace quilbert::testing
