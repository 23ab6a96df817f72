#include "catalogue/package_install.h"

#include <sys/stat.h>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/catalogue_file.h"
#include "common/MiniZip.h"
#include "download/rsa_verifier.h"
#include "download/signed_package.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/scripted_dialogs.h"
#include "tests/catalogue/catalogue_fixture.h"
#include "tools/package_signer.h"

namespace catalogue {
namespace {

using ::testing::Contains;
using ::testing::Not;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

class PackageInstallTest : public ::testing::Test {
 protected:
  // An effect folder in the effects folder, with index.htm and an info file.
  void MakeFolder(const std::string& name, const std::string& info = "") {
    const std::string folder = ObjectsDir() + name + "/";
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder + "index.htm", "<html>" + name + "</html>");
    if (!info.empty()) WriteFileBytes(folder + "info.txt", info);
  }

  // A package signed with the demo key in the package folder, made from a
  // scratch folder (the effect's own folder is not created).
  std::string MakePackage(const std::string& name, const std::string& info,
                          bool goodSignature = true) {
    testing_support::TempDir scratch;
    WriteFileBytes(scratch / "index.htm", "<html>" + name + "</html>");
    WriteFileBytes(scratch / "info.txt", info);
    ZipFolder(scratch.path(), "*.*", scratch / "p.zip", dialogs);
    std::string bytes = SignedPackageBytes(key, ReadFileBytes(scratch / "p.zip"));
    if (!goodSignature) bytes[10] ^= 0x01;  // the payload no longer matches
    const std::string package = ObjectsDir() + "ZIP/" + name + ".zip";
    WriteFileBytes(package, bytes);
    return package;
  }

  void Reconcile() {
    CreateObjList(table, {[this](const std::string& package, const std::string& folder) {
                            return CheckSignAndExtractZipFile(rsa, package, folder,
                                                              AppDir() + "pTmp.zip");
                          },
                          dialogs, clock});
  }

  std::vector<std::int32_t> Ids() {
    std::vector<std::int32_t> ids;
    table.ForEach([&](const ObjRecord& r) { ids.push_back(r.Integer(Field::ObjID)); });
    return ids;
  }

  // Saves records with these identifiers as the catalogue file.
  void SaveCatalogue(const std::vector<std::int32_t>& ids) {
    ObjTable saved;
    for (std::int32_t id : ids)
      AddNewObject(saved, id, "Effect " + std::to_string(id), "H", "", "", "", 9, 1234567, 0, 0, 0);
    SaveObjList(saved);
    folder.ClearLog();
  }

  CatalogueFolder folder;
  PrivateKey key = PrivateKey::ReadPem(DEMO_KEYS_DIR "demo-private-key.pem");
  TRsaVerifier rsa{ReadFileBytes(DEMO_KEYS_DIR "demo-public-key.bin")};
  platform::ScriptedDialogs dialogs;
  platform::FakeClock clock;
  ObjTable table;
};

TEST_F(PackageInstallTest, NothingAnywhereGivesAnEmptyCatalogueAndNoFile) {
  Reconcile();
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_FALSE(Exists(MainFilePath()));
}

TEST_F(PackageInstallTest, PackageWithoutFolderIsUnpackedAdoptedAndSaved) {
  const std::string package =
      MakePackage("00001234", "S\n01.06.2004\n31.12.2010 23:59\n17\n3600\n50\nSnowfall\nSnow.\n");
  Reconcile();
  EXPECT_TRUE(Exists(ObjectsDir() + "00001234/index.htm"));
  ASSERT_TRUE(table.Locate(Field::ObjID, 1234));
  EXPECT_EQ(table.Text(Field::ObjName), "Snowfall");
  EXPECT_EQ(table.Text(Field::ObjType), "S");
  EXPECT_EQ(table.Text(Field::ZipFileName), package);
  EXPECT_EQ(table.Text(Field::ZipFileCRC32), FileCRCText(package));
  EXPECT_EQ(table.Integer(Field::EnableDays), 17);
  EXPECT_EQ(table.Integer(Field::ObjPointer), 0);
  EXPECT_TRUE(Exists(MainFilePath()));
  EXPECT_THAT(folder.LogTexts(), Contains("Add new object 00001234 (Snowfall)"));
  EXPECT_THAT(folder.LogTexts(), Contains("Save objects DB"));
}

TEST_F(PackageInstallTest, RecordsWithoutFoldersAreDroppedWithoutSaving) {
  SaveCatalogue({1, 2, 3, 4, 5});
  for (const char* name : {"00000001", "00000004"}) {
    MakeFolder(name);
    MakePackage(name, "H\n");
  }
  const std::string before = ReadFileBytes(MainFilePath());
  Reconcile();
  EXPECT_EQ(Ids(), (std::vector<std::int32_t>{1, 4}));
  EXPECT_THAT(folder.LogTexts(), Contains("Check objects list"));
  EXPECT_EQ(ReadFileBytes(MainFilePath()), before);  // deletions alone do not save
}

TEST_F(PackageInstallTest, MissingPackageIsRebuiltFromTheFolderAsTheUsersOwn) {
  SaveCatalogue({7});
  MakeFolder("00000007", "H\n");
  Reconcile();
  const std::string package = ObjectsDir() + "ZIP/00000007.zip";
  ASSERT_TRUE(Exists(package));
  ASSERT_TRUE(table.Locate(Field::ObjID, 7));
  EXPECT_EQ(table.Text(Field::ObjType), "D");
  EXPECT_EQ(table.Text(Field::ZipFileName), package);
  EXPECT_EQ(table.Text(Field::ZipFileCRC32), FileCRCText(package));
  EXPECT_THAT(folder.LogTexts(), Contains("File " + package + " not found. Created new"));
  testing_support::TempDir out;
  EXPECT_TRUE(ExtractZip(package, out.path()));
  EXPECT_TRUE(Exists(out / "index.htm"));
}

TEST_F(PackageInstallTest, FolderWithoutANumberIsAdoptedAgainAtEveryStart) {
  MakeFolder("MyEffect");
  clock.SetTick(777);
  Reconcile();
  EXPECT_EQ(Ids(), (std::vector<std::int32_t>{777}));
  ASSERT_TRUE(table.Locate(Field::ObjID, 777));
  EXPECT_EQ(table.Text(Field::ObjName), "MyEffect");
  EXPECT_EQ(table.Text(Field::ObjType), "D");
  EXPECT_EQ(table.Integer(Field::MinExecInterval), 120);  // no info file

  clock.SetTick(888);
  Reconcile();
  EXPECT_EQ(Ids(), (std::vector<std::int32_t>{888}));
}

TEST_F(PackageInstallTest, HiddenReadOnlyAndPackageFolderEntriesAreNotEffects) {
  SaveCatalogue({3});
  MakeFolder(".00000003");
  MakeFolder("00000003");
  chmod((ObjectsDir() + "00000003").c_str(), 0555);
  MakeFolder("Demo");
  std::filesystem::create_directories(ObjectsDir() +
                                      "ZIP/00000009.zip");  // a folder, not a package
  Reconcile();
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_FALSE(Exists(ObjectsDir() + "00000009"));
}

TEST_F(PackageInstallTest, WithoutACatalogueEveryPackageButTheUsersOwnIsUnpackedAfresh) {
  for (const char* name : {"00001234", "90000005"}) {
    MakeFolder(name, "H\n");
    MakePackage(name, "H\n");
    WriteFileBytes(ObjectsDir() + name + "/marker", "stale");
  }
  Reconcile();
  EXPECT_FALSE(Exists(ObjectsDir() + "00001234/marker"));
  EXPECT_TRUE(Exists(ObjectsDir() + "00001234/index.htm"));
  EXPECT_TRUE(Exists(ObjectsDir() + "90000005/marker"));
  EXPECT_EQ(Ids(), (std::vector<std::int32_t>{1234, 90000005}));
}

TEST_F(PackageInstallTest, PackageWithABadSignatureLeavesAnEmptyFolder) {
  MakePackage("00000042", "H\n", false);
  Reconcile();
  EXPECT_TRUE(std::filesystem::is_empty(ObjectsDir() + "00000042"));
  EXPECT_THAT(folder.LogTexts(),
              Contains("Signature of file " + ObjectsDir() + "ZIP/00000042.zip is FAIL"));
  // The effect keeps a record, but it cannot be played without its page.
  EXPECT_EQ(Ids(), (std::vector<std::int32_t>{42}));
}

TEST_F(PackageInstallTest, PackageThatCannotBeReadIsPassedOverAndTheOthersUnpacked) {
  // A link to nothing: listed as a package, and reading it fails.
  std::filesystem::create_symlink(ObjectsDir() + "gone.zip", ObjectsDir() + "ZIP/00000043.zip");
  MakePackage("00000044", "H\n");
  Reconcile();
  EXPECT_TRUE(Exists(ObjectsDir() + "00000044/index.htm"));
  const auto texts = folder.LogTexts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
    return t.rfind("Cannot check the package " + ObjectsDir() + "ZIP/00000043.zip: ", 0) == 0;
  }));
  EXPECT_THAT(Ids(), Contains(44));
}

TEST_F(PackageInstallTest, AddNewObjectStartsPermanentEffectsDisabled) {
  AddNewObject(table, 5, "Glow", "C", "", "", "", 1, 1, 1, 0, 0);
  AddNewObject(table, 6, "Rain", "H", "", "", "", 1, 1, 1, 0, 0);
  ASSERT_TRUE(table.Locate(Field::ObjID, 5));
  EXPECT_FALSE(table.Boolean(Field::ObjEnabled));
  ASSERT_TRUE(table.Locate(Field::ObjID, 6));
  EXPECT_TRUE(table.Boolean(Field::ObjEnabled));
  EXPECT_EQ(table.Integer(Field::ObjPointer), 0);
  EXPECT_THAT(folder.LogTexts(), Contains("Add new object 00000005 (Glow)"));
}

TEST_F(PackageInstallTest, DeleteObjectRemovesRecordFolderAndPackage) {
  bool stopped = false;
  auto stop = [&](std::int32_t id) {
    EXPECT_EQ(id, 8);
    EXPECT_TRUE(Exists(ObjectsDir() + "00000008/index.htm"));  // the runner goes first
    stopped = true;
  };
  MakeFolder("00000008");
  MakePackage("00000008", "H\n");
  MakeFolder("00000009");
  // Not in the catalogue: nothing happens, even though the folder exists.
  EXPECT_FALSE(DeleteObject(table, 9, stop));
  EXPECT_TRUE(Exists(ObjectsDir() + "00000009"));

  AddNewObject(table, 8, "Playing", "H", "", "", "", 1, 1, 1, 0, 0);  // no package name stored
  table.Edit();
  table.SetInteger(Field::ObjPointer, 4321);
  table.Post();
  EXPECT_TRUE(DeleteObject(table, 8, stop));
  EXPECT_TRUE(stopped);
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_FALSE(Exists(ObjectsDir() + "00000008"));
  EXPECT_FALSE(Exists(ObjectsDir() + "ZIP/00000008.zip"));
  EXPECT_THAT(folder.LogTexts(), Contains("Delete object 00000008"));
}

}  // namespace
}  // namespace catalogue
