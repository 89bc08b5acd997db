// SPDX-License-Identifier: GPL-3.0-or-later
// The table of export kinds: its names are each one home (a clash would make two settings one key
// of design files or one option of the command line), and the export dialog's one name gives each
// kind the files the dialog has always written.
#include "export/export_kind.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "export/export_set.h"

namespace kc::exporting {
namespace {

TEST(ExportKindTest, KeysAndOptionsAreEachNamedOnce) {
    std::set<std::string_view> keys{"rates", "countsRate", "name"};  // the export's other keys
    std::set<std::string_view> options{"sample-rate", "counts-rate"};
    for (const ExportKind& kind : ExportKinds()) {
        EXPECT_TRUE(keys.insert(kind.id).second) << kind.id;
        EXPECT_TRUE(options.insert(kind.cliOption).second) << kind.cliOption;
        EXPECT_EQ(kind.scope == KindScope::PerSet, !kind.noun.empty()) << kind.id;
        EXPECT_TRUE(kind.scope == KindScope::PerSet ? kind.writeSet != nullptr
                                                    : kind.writeRate != nullptr)
            << kind.id;
        for (const KindOption& option : kind.options) {
            EXPECT_TRUE(keys.insert(option.key).second) << option.key;
            EXPECT_TRUE(options.insert(option.cliOption).second) << option.cliOption;
            // A choice has choices; a free text has its rule, its label and a default it keeps.
            if (option.IsText()) {
                ASSERT_NE(option.problem, nullptr) << option.key;
                EXPECT_FALSE(option.label.empty()) << option.key;
                EXPECT_EQ(option.problem(option.defaultText), "") << option.key;
            }
        }
    }
}

struct DialogCase {
    const char* folder;
    const char* name;
    const char* kind;
    std::string expected;  // the kind's name in the request
};

TEST(ExportKindTest, DialogNameGivesEachChosenKindItsFiles) {
    const DialogCase cases[] = {
        {"/out", "xo-{rate}", "tapsCsv", "/out/xo-{rate}.csv"},
        {"/out/", "xo-{rate}", "responseCsv", "/out/xo-{rate}-response.csv"},
        {"/", "xo", "wav", "/xo"},
        {"", "xo", "frd", "./xo"},
        {"/out", "xo-{rate}", "camillaDsp", "/out/xo-{rate}.yml"},
        {"/out", "xo-{rate}", "bruteFir", "/out/xo-{rate}-brutefir.conf"},
        // One file for every rate: the name without {rate} and what led up to it.
        {"/out", "xo-{rate}", "pipeWire", "/out/xo-pipewire.conf"},
        {"/out", "{rate}_", "equalizerApo", "/out/crossover-equalizer-apo.txt"},
        {"/out", "a{rate}b.{rate}", "pipeWire", "/out/ab-pipewire.conf"},
    };
    for (const DialogCase& row : cases) {
        KindChoices choices = DefaultKindChoices();
        choices[KindIndex(row.kind)].chosen = true;
        const ExportRequest request = RequestInFolder(choices, row.folder, row.name);
        EXPECT_EQ(request.Kind(row.kind).name, row.expected) << row.kind << " " << row.name;
    }
    // Only the kinds chosen are named (at first the WAV files), never one that the dialog does
    // not offer.
    const ExportRequest defaults = RequestInFolder(DefaultKindChoices(), "/out", "xo");
    for (std::size_t k = 0; k < ExportKinds().size(); ++k) {
        EXPECT_EQ(defaults.Kinds()[k].name.empty(), ExportKinds()[k].id != "wav") << k;
    }
    KindChoices all = DefaultKindChoices();
    for (KindChoice& choice : all) {
        choice.chosen = true;
    }
    EXPECT_TRUE(RequestInFolder(all, "/out", "xo").Kind("plotPng").name.empty());
}

}  // namespace
}  // namespace kc::exporting
