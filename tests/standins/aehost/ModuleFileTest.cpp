// The built module as a file on disk: what it exports, its PiPL, and the host's loader.

#include "standins/aehost/host/EffectHost.h"
#include "standins/aehost/loader/EffectModule.h"
#include "standins/aehost/loader/ElfFile.h"
#include "effect/controls/EffectInfo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ModuleFileTest, ExportsOnlyTheEntryPoint) {
    const Kelvane::Neon::Host::ElfFile file(ZARVO_MODULE_PATH);
    EXPECT_THAT(file.exportedSymbols(), ElementsAre("EntryPointFunc"));
}

TEST(ModuleFileTest, PiPLHoldsTwelvePropertiesInOrder) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    const auto& props = module.pipl().properties();
    std::vector<std::string> keys;
    for (const auto& p : props) {
        EXPECT_EQ(p.vendor, "8BIM") << p.key;
        keys.push_back(p.key);
    }
    EXPECT_THAT(keys, ElementsAre("kind", "name", "catg", "8664", "ePVR", "eSVR", "eVER", "eINF",
                                  "eGLO", "eGL2", "aeFL", "eMNA"));
    ASSERT_EQ(props.size(), 12u);
    EXPECT_EQ(props[0].asOSType(), "eFKT");
    EXPECT_EQ(props[1].asPString(), "Zarvo Neon");
    EXPECT_EQ(props[2].asPString(), "Zarvo");
    EXPECT_EQ(props[3].asCString(), "EntryPointFunc");
    // PiPL version 2.0 and effect API 13.14, each as two 16-bit words.
    EXPECT_EQ(props[4].asVersion().major, 2);
    EXPECT_EQ(props[4].asVersion().minor, 0);
    EXPECT_EQ(props[5].asVersion().major, 13);
    EXPECT_EQ(props[5].asVersion().minor, 14);
    EXPECT_EQ(props[6].asLong(), 0x00080001u);
    EXPECT_EQ(props[7].asLong(), 0u);
    EXPECT_EQ(props[8].asLong(), 0x8000u);
    EXPECT_EQ(props[9].asLong(), 0x8u);
    EXPECT_EQ(props[10].asLong(), 8u);
    EXPECT_EQ(props[11].asPString(), "Zarvo_Neon");
}

TEST(ModuleFileTest, PiPLAgreesWithWhatTheCodeDeclares) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    EXPECT_EQ(module.pipl().find("eVER")->asLong(), Kelvane::Neon::kPackedVersion);
    EXPECT_EQ(module.pipl().find("eGLO")->asLong(), std::uint32_t(Kelvane::Neon::kGlobalOutFlags));
    EXPECT_EQ(module.pipl().find("eGL2")->asLong(), std::uint32_t(Kelvane::Neon::kGlobalOutFlags2));
    EXPECT_EQ(module.name(), Kelvane::Neon::kEffectName);
}

TEST(ModuleFileTest, LoadedModuleAnswersThroughItsEntryPoint) {
    const Kelvane::Neon::Host::EffectModule module(ZARVO_MODULE_PATH);
    Kelvane::Neon::Host::EffectHost host(module);
    EXPECT_EQ(host.about(), std::string("Zarvo Neon v1.0\rZarvo Neon"));
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.declared().size(), 33u);
    EXPECT_TRUE(host.suites().outstanding().empty());
}

TEST(ModuleFileTest, LoaderRefusesWhatIsNotAnEffect) {
    const std::string fixtures = ZARVO_FIXTURE_DIR;
    try {
        Kelvane::Neon::Host::EffectModule m(fixtures + "/NotAnEffect.aex");
        FAIL() << "loaded a general plug-in as an effect";
    } catch (const Kelvane::Neon::Host::ModuleError& e) {
        EXPECT_THAT(e.what(), HasSubstr("is not an effect"));
        EXPECT_THAT(e.what(), HasSubstr("'AEgx'"));
    }
    try {
        Kelvane::Neon::Host::EffectModule m(fixtures + "/NoEntryPoint.aex");
        FAIL() << "loaded an effect without an entry point";
    } catch (const Kelvane::Neon::Host::ModuleError& e) {
        EXPECT_THAT(e.what(), HasSubstr("no 64-bit entry point"));
    }
    EXPECT_THROW(Kelvane::Neon::Host::EffectModule(fixtures + "/missing.aex"),
                 Kelvane::Neon::Host::ModuleError);
    // A file that is not a library at all.
    EXPECT_THROW(Kelvane::Neon::Host::EffectModule(ZARVO_PIPL_DESCRIPTION),
                 Kelvane::Neon::Host::ModuleError);
}

TEST(ModuleFileTest, PiPLStoresCodesAsLittleEndianValues) {
    const auto bytes = Kelvane::Neon::Host::ElfFile(ZARVO_MODULE_PATH).section(".pipl");
    ASSERT_TRUE(bytes);
    // Word 1, list version 0, 12 properties, then "8BIM" "kind" id 0, length 4, "eFKT".
    const std::string expected("\x01\0\0\0\0\0\x0c\0\0\0MIB8dnik\0\0\0\0\x04\0\0\0TKFe", 30);
    ASSERT_GE(bytes->size(), expected.size());
    EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 30), expected);
}

TEST(ModuleFileTest, MalformedPiPLIsRejected) {
    const std::vector<std::uint8_t> truncated = {1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 'M', 'I'};
    EXPECT_THROW(Kelvane::Neon::Host::PiPL::parse(truncated), std::runtime_error);
    std::vector<std::uint8_t> overlong = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    for (char c : std::string("MIB8eman")) {
        overlong.push_back(std::uint8_t(c));
    }
    overlong.insert(overlong.end(), {0, 0, 0, 0, 200, 0, 0, 0, 3, 'a', 'b', 'c'});
    EXPECT_THROW(Kelvane::Neon::Host::PiPL::parse(overlong), std::runtime_error);
    // The same property list is fine with its true length, and refused without the version word.
    overlong[22] = 4;
    EXPECT_EQ(Kelvane::Neon::Host::PiPL::parse(overlong).find("name")->asPString(), "abc");
    overlong[0] = 0;
    EXPECT_THROW(Kelvane::Neon::Host::PiPL::parse(overlong), std::runtime_error);
}

} // namespace
