// Tests of the seeding: everything it promises is on the machine, the shortcuts hold the
// agent's name only where they should, and teardown leaves the prefix as it was.
#include "tests/e2e/driver/Seed.h"

#include <gtest/gtest.h>

namespace qc::e2e {
namespace {

std::string N(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::size_t Count(const std::vector<Trace>& traces, TraceKind kind, bool decoy) {
  std::size_t n = 0;
  for (const Trace& t : traces) n += (t.kind == kind && t.decoy == decoy) ? 1 : 0;
  return n;
}

TEST(SeedTest, LaysDownEveryTraceAndTakesItAway) {
  const SeedOptions options = DefaultSeedOptions();
  ASSERT_FALSE(options.profile.empty());
  const bool downloadsBefore =
      GetFileAttributesW(L"C:\\Windows\\Downloaded Program Files") != INVALID_FILE_ATTRIBUTES;
  std::vector<Trace> traces;
  {
    Seeder seeder(options);
    std::wstring error;
    ASSERT_TRUE(seeder.LayDown(&error)) << N(error);
    traces = seeder.traces();
    for (const Trace& t : traces) EXPECT_TRUE(Seeder::Exists(t)) << N(t.path);
    // 13 keys (the list's duplicates seeded once) and a user's own copy of one, 13 folders, 5
    // component files, 2 agent links plus the Desktop and Start Menu product folders and the link
    // inside the latter, and the five programs.
    EXPECT_EQ(Count(traces, TraceKind::RegistryKey, false), 14u);
    EXPECT_EQ(Count(traces, TraceKind::Folder, false), 15u);
    EXPECT_EQ(Count(traces, TraceKind::File, false), 8u);
    EXPECT_EQ(Count(traces, TraceKind::Process, false), 5u);
    EXPECT_GT(Count(traces, TraceKind::Process, true), 0u);
    EXPECT_GT(Count(traces, TraceKind::Folder, true), 0u);
    const std::wstring f = L"C:\\Kelvora Quenzor 5.1";
    EXPECT_NE(GetFileAttributesW((f + L"\\readonly.dat").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(GetFileAttributesW((f + L"\\hidden.dat").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_NE(GetFileAttributesW((f + L"\\system.dat").c_str()) & FILE_ATTRIBUTE_SYSTEM, 0u);
    seeder.Remove();
    // What an earlier program left (a decoy key, say) is not the seed's to take away.
    for (const Trace& t : traces) EXPECT_EQ(Seeder::Exists(t), t.preexisting) << N(t.path);
  }
  EXPECT_EQ(GetFileAttributesW(L"C:\\Windows\\Downloaded Program Files") != INVALID_FILE_ATTRIBUTES,
            downloadsBefore);
  EXPECT_EQ(GetFileAttributesW(L"C:\\Program Files\\Norvane Software"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(options.workFolder.c_str()), INVALID_FILE_ATTRIBUTES);
}

struct AsciiCase {
  const char* name;
  std::string content;
  bool holds;
};

TEST(SeedTest, FileHoldsAsciiSeesSingleByteTextOnly) {
  const AsciiCase cases[] = {
      {"Upper", std::string("xx\0KVAGENT.EXE\0", 15), true},
      {"Lower", "c:\\kelvora\\kvagent.exe", true},
      {"Utf16", std::string("K\0V\0A\0G\0E\0N\0T\0.\0E\0X\0E\0", 22), false},
      {"Cut", "KVAGENT.EX", false},
      {"Empty", "", false},
  };
  wchar_t temp[MAX_PATH]{};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"qc-seed-ascii.bin";
  for (const AsciiCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteTextFile(path, c.content));
    EXPECT_EQ(FileHoldsAscii(path, "KVAGENT.EXE"), c.holds);
  }
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace qc::e2e
