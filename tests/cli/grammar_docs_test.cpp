// SPDX-License-Identifier: Apache-2.0
// The manual page and both shell completions against ql5ctl's grammar: every
// command and every option a command takes is described and offered for that
// command, with the way it takes its value, and nothing is documented or
// offered that the grammar does not have.
#include "grammar.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace ql5ctl;

namespace {

using Names = std::set<std::string>;

std::string ReadSource(const std::string& path)
{
    std::ifstream file(std::string(QL5_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(file) << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The lines after the line `start` up to the first that matches `end`.
std::string Section(const std::string& text, const std::string& start, const std::regex& end)
{
    std::istringstream lines(text);
    std::string line;
    std::string section;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (inside && std::regex_search(line, end))
            break;
        if (inside)
            section += line + "\n";
        inside = inside || line == start;
    }
    return section;
}

// Group 1 of every match.
Names Matches(const std::string& text, const std::regex& pattern)
{
    Names found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

Names GrammarOptions(Subcommand command)
{
    Names names;
    for (const OptionEntry& option : kOptions) {
        if ((option.commands & Commands(command)) != 0)
            names.insert(std::string(option.name));
    }
    return names;
}

Names Choices(std::string_view choices)
{
    return Matches(std::string(choices) + "|", std::regex("([a-z]+)\\|"));
}

std::string Spaced(std::string_view choices)
{
    std::string text(choices);
    for (char& c : text)
        c = c == '|' ? ' ' : c;
    return text;
}

// The first line of the manual page that starts with `start`.
std::string ManLine(const std::string& man, const std::string& start)
{
    const std::size_t at = man.find("\n" + start);
    return at == std::string::npos ? std::string()
                                   : man.substr(at + 1, man.find('\n', at + 1) - at);
}

}  // namespace

TEST(GrammarDocs, ManualPageDescribesEachCommandsOptions)
{
    const std::string man = ReadSource("docs/man/ql5ctl.1.scd");
    const std::regex option(R"(\*(--[a-z-]+)\*)");
    for (const SubcommandEntry& sub : kSubcommands) {
        const std::string name(sub.name);
        const Names options = GrammarOptions(sub.command);
        const std::string synopsis = ManLine(man, "*ql5ctl " + name + "*");
        EXPECT_EQ(Matches(synopsis, option), options) << "SYNOPSIS of " << name;
        const std::string subsection = Section(man, "## " + name, std::regex("^#"));
        EXPECT_EQ(Matches(subsection, std::regex(R"((?:^|\n)\*(--[a-z-]+)\*)")), options)
            << "the paragraphs under '## " << name << "'";
        for (const OptionEntry& row : kOptions) {
            if ((row.commands & Commands(sub.command)) == 0 || row.choices.empty())
                continue;
            for (const std::string& choice : Choices(row.choices)) {
                EXPECT_TRUE(subsection.find("*" + choice + "*") != std::string::npos ||
                            subsection.find("=" + choice) != std::string::npos)
                    << row.name << " " << choice << " under '## " << name << "'";
            }
        }
    }
    const std::string ownOptions = Section(man, "# OPTIONS", std::regex("^# "));
    for (const OptionEntry& row : kOptions) {
        if (row.commands == 0) {
            EXPECT_NE(ownOptions.find("*" + std::string(row.name) + "*"), std::string::npos)
                << row.name << " under '# OPTIONS'";
        }
    }
}

TEST(GrammarDocs, BashCompletionOffersEachCommandsOptions)
{
    const std::string bash = ReadSource("completions/bash/ql5ctl");
    const std::regex offered(R"re(\n +([a-z| -]+)\) echo "([^"]*)" ;;)re");
    std::map<std::string, Names> offers;
    for (std::sregex_iterator it(bash.begin(), bash.end(), offered), end; it != end; ++it) {
        const Names words = Matches(" " + (*it)[2].str(), std::regex(" ([^ ]+)"));
        for (const std::string& command :
             Matches((*it)[1].str() + " |", std::regex("([a-z-]+) \\|")))
            offers[command] = words;
    }
    std::string takesValue;
    for (const std::string& line : Matches(bash, std::regex(R"(\n([^\n]*return 0 ;;))")))
        takesValue += line;
    const Names commands =
        Matches(ManLine(bash, "_ql5ctl_commands=") + " ", std::regex(R"(([a-z-]+)[ "])"));

    for (const SubcommandEntry& sub : kSubcommands) {
        const std::string name(sub.name);
        EXPECT_EQ(commands.count(name), 1U) << "_ql5ctl_commands lacks " << name;
        Names expected{"--help"};
        for (const OptionEntry& row : kOptions) {
            if ((row.commands & Commands(sub.command)) == 0)
                continue;
            expected.insert(std::string(row.name));
            if (row.value == ValueKind::kOptionalInline) {
                for (const std::string& choice : Choices(row.choices))
                    expected.insert(std::string(row.name) + "=" + choice);
            }
            const bool takes =
                takesValue.find(name + ":" + std::string(row.name)) != std::string::npos ||
                takesValue.find("*:" + std::string(row.name)) != std::string::npos;
            EXPECT_EQ(takes, row.value == ValueKind::kRequired)
                << "_ql5ctl_takes_value for " << name << " " << row.name;
            if (!row.choices.empty() && row.value == ValueKind::kRequired) {
                EXPECT_NE(bash.find('"' + Spaced(row.choices) + '"'), std::string::npos)
                    << row.name << " " << row.choices;
            }
        }
        EXPECT_EQ(offers[name], expected) << "_ql5ctl_options " << name;
    }
    for (const OptionEntry& row : kOptions) {
        if (row.commands == 0) {
            EXPECT_NE(bash.find(" " + std::string(row.name)), std::string::npos) << row.name;
        }
    }
}

TEST(GrammarDocs, ZshCompletionOffersEachCommandsOptions)
{
    const std::string zsh = ReadSource("completions/zsh/_ql5ctl");
    for (const SubcommandEntry& sub : kSubcommands) {
        const std::string name(sub.name);
        EXPECT_NE(zsh.find("'" + name + ":"), std::string::npos) << "commands lack " << name;
        const std::string branch = Section(zsh, "        " + name + ")", std::regex(";;"));
        EXPECT_EQ(Matches(branch, std::regex(R"('(--[a-z-]+)(=-?)?\[)")),
                  GrammarOptions(sub.command))
            << "the branch of " << name;
        for (const OptionEntry& row : kOptions) {
            if ((row.commands & Commands(sub.command)) == 0)
                continue;
            const char* const form = row.value == ValueKind::kNone       ? "["
                                     : row.value == ValueKind::kRequired ? "=["
                                                                         : "=-[";
            EXPECT_NE(branch.find("'" + std::string(row.name) + form), std::string::npos)
                << name << " " << row.name << " takes its value as " << form;
            if (!row.choices.empty()) {
                EXPECT_NE(branch.find("(" + Spaced(row.choices) + ")"), std::string::npos)
                    << name << " " << row.name << " " << row.choices;
            }
        }
    }
    for (const OptionEntry& row : kOptions) {
        if (row.commands == 0) {
            EXPECT_NE(zsh.find(std::string(row.name)), std::string::npos) << row.name;
        }
    }
}
