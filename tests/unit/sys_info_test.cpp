#include "dialogs/about/sys_info.h"

#include "tests/unit/fake_port.h"

#include <gtest/gtest.h>

namespace wexla::test {
namespace {

const std::string kEntry1 = kMsInfoKey;
const std::string kEntry2 = kToolsLocationKey;

std::string sz(const std::string& text) {
  return text + '\0';
}

class SysInfo : public ::testing::Test {
protected:
  FakePort port;
  std::string read(const std::string& key, const std::string& value, VbBoolean* result = nullptr,
                   std::string start = "before") {
    const VbBoolean r = GetKeyValue(port, kHkeyLocalMachine, key, value, start);
    if (result != nullptr) {
      *result = r;
    }
    return start;
  }
  bool showedUnavailable() const {
    return port.messageBoxes.size() == 1 &&
           port.messageBoxes[0].text == "System Information Is Unavailable At This Time" &&
           port.messageBoxes[0].style == 0 && port.messageBoxes[0].caption == "Wexla 98";
  }
};

TEST_F(SysInfo, TextValuesWithAndWithoutTerminator) {
  port.registry["K"]["a"] = {kRegSz, sz("C:\\x.exe")};
  port.registry["K"]["b"] = {kRegSz, "C:\\x.exe"};
  port.registry["K"]["empty"] = {kRegSz, ""};
  VbBoolean ok = kFalse;
  EXPECT_EQ(read("K", "a", &ok), "C:\\x.exe");
  EXPECT_EQ(ok, kTrue);
  EXPECT_EQ(read("K", "b"), "C:\\x.exe");
  EXPECT_THROW(read("K", "empty"), RegistryValueWithoutData);
  EXPECT_TRUE(port.openKeys.empty());
}

TEST_F(SysInfo, BufferHoldsExactly1024Bytes) {
  port.registry["K"]["fits"] = {kRegSz, std::string(1024, 'a')};
  port.registry["K"]["long"] = {kRegSz, std::string(1025, 'a')};
  VbBoolean ok = kFalse;
  EXPECT_EQ(read("K", "fits", &ok), std::string(1024, 'a'));
  EXPECT_EQ(ok, kTrue);
  EXPECT_EQ(read("K", "long", &ok), "");
  EXPECT_EQ(ok, kFalse);
  EXPECT_TRUE(port.openKeys.empty());
}

TEST_F(SysInfo, NumbersBecomeUnsignedDecimalText) {
  EXPECT_EQ(decodeRegistryValue(kRegDword, std::string("\x00\x01\x00\x00", 4)), "256");
  EXPECT_EQ(decodeRegistryValue(kRegDword, std::string("\x2A\x00\x00\x00", 4)), "42");
  EXPECT_EQ(decodeRegistryValue(kRegDword, "\xFF\xFF\xFF\xFF"), "4294967295");
  EXPECT_EQ(decodeRegistryValue(kRegDword, std::string("\x00\x00\x00\x80", 4)), "2147483648");
  EXPECT_EQ(decodeRegistryValue(kRegDword, ""), "");
  EXPECT_EQ(decodeRegistryValue(kRegDword, std::string(10, '\x01')), "&h01010101010101010101");
}

TEST_F(SysInfo, OtherTypesLeaveTheTextAloneButSucceed) {
  port.registry["K"]["bin"] = {3, "\x01\x02"};
  VbBoolean ok = kFalse;
  EXPECT_EQ(read("K", "bin", &ok), "before");
  EXPECT_EQ(ok, kTrue);
}

TEST_F(SysInfo, FailureEmptiesTheTextAndClosesTheKey) {
  port.registry["K"] = {};
  VbBoolean ok = kTrue;
  EXPECT_EQ(read("K", "missing", &ok), "");
  EXPECT_EQ(ok, kFalse);
  EXPECT_EQ(read("No such key", "x", &ok), "");
  EXPECT_EQ(ok, kFalse);
  EXPECT_TRUE(port.openKeys.empty());
  EXPECT_EQ(std::count(port.calls.begin(), port.calls.end(), "regCloseKey"), 2);
}

TEST_F(SysInfo, AsksForReadAccessOnly) {
  read("K", "x");
  ASSERT_EQ(port.registryAccessMasks.size(), 1u);
  EXPECT_EQ(port.registryAccessMasks[0], 0x20019u);
}

TEST_F(SysInfo, FirstEntryIsStartedAsReadWithoutTryingTheSecond) {
  port.registry[kEntry1]["PATH"] = {kRegSz, sz("C:\\Program Files\\Tools\\MSINFO32.EXE")};
  port.registry[kEntry2]["MSINFO"] = {kRegSz, sz("C:\\Other")};
  port.startablePrograms = {"C:\\Program Files\\Tools\\MSINFO32.EXE", "C:\\Other\\MSINFO32.EXE"};
  StartSysInfo(port);
  EXPECT_EQ(port.startedPrograms,
            std::vector<std::string>{"C:\\Program Files\\Tools\\MSINFO32.EXE"});
  EXPECT_TRUE(port.messageBoxes.empty());
}

TEST_F(SysInfo, SecondEntryNamesTheDirectoryThatMustHoldTheProgram) {
  port.registry[kEntry2]["MSINFO"] = {kRegSz, sz("C:\\Tools")};
  port.putFile("C:\\Tools", "msinfo32.exe", "MZ");
  port.startablePrograms = {"C:\\Tools\\MSINFO32.EXE"};
  StartSysInfo(port);
  EXPECT_EQ(port.startedPrograms, std::vector<std::string>{"C:\\Tools\\MSINFO32.EXE"});
}

TEST_F(SysInfo, EveryDeadEndShowsTheSameMessage) {
  using Setup = void (*)(FakePort&);
  const Setup cases[] = {
      [](FakePort&) {}, // neither entry
      [](FakePort& p) {
        p.registry[kEntry2]["MSINFO"] = {kRegSz, sz("C:\\Empty")};
      },
      [](FakePort& p) { // first entry names a missing file: the second is not tried
        p.registry[kEntry1]["PATH"] = {kRegSz, sz("C:\\Gone.exe")};
        p.registry[kEntry2]["MSINFO"] = {kRegSz, sz("C:\\Tools")};
        p.putFile("C:\\Tools", "MSINFO32.EXE", "MZ");
        p.startablePrograms = {"C:\\Tools\\MSINFO32.EXE"};
      },
      [](FakePort& p) {
        p.registry[kEntry1]["PATH"] = {3, "\x01"};
      }, // binary: empty path
      [](FakePort& p) {
        p.registry[kEntry1]["PATH"] = {kRegSz, ""};
      },                // no data at all
      [](FakePort& p) { // no data in the second entry: the current drive's root is not tried
        p.registry[kEntry2]["MSINFO"] = {kRegSz, ""};
        p.files["\\MSINFO32.EXE"] = "MZ";
        p.startablePrograms = {"\\MSINFO32.EXE"};
      },
      [](FakePort& p) { p.failing.insert("regOpenKey"); }, // access refused
  };
  for (const Setup setup : cases) {
    port = FakePort{};
    setup(port);
    StartSysInfo(port);
    EXPECT_TRUE(port.startedPrograms.empty());
    EXPECT_TRUE(showedUnavailable());
    EXPECT_TRUE(port.openKeys.empty());
  }
}

} // namespace
} // namespace wexla::test
