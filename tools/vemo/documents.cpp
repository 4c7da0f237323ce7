#include "documents.h"

#include <iostream>
#include <set>
#include <sstream>
#include <vector>

#include "vemosupport/version.h"
#include "errors.h"

namespace vemo::cli {

namespace {

std::vector<const CLI::App*> Commands(const CLI::App& app) { return app.get_subcommands({}); }

bool IsFlag(const CLI::Option& option) { return option.get_expected_max() == 0; }

std::vector<const CLI::Option*> Named(const CLI::App& command) {
  return command.get_options([](const CLI::Option* option) { return option->nonpositional(); });
}

std::vector<const CLI::Option*> Positionals(const CLI::App& command) {
  return command.get_options([](const CLI::Option* option) { return !option->nonpositional(); });
}

// Every spelling of an option, "-h --help", each after `separator`.
std::string Spellings(const CLI::Option& option, const char* separator = " ") {
  std::string words;
  for (const std::string& name : option.get_snames()) words += (words.empty() ? "-" : separator + std::string("-")) + name;
  for (const std::string& name : option.get_lnames()) words += (words.empty() ? "--" : separator + std::string("--")) + name;
  return words;
}

// How bash completes a value of this type: folders, files, or nothing it could guess.
const char* ValueCompletion(const std::string& typeName) {
  if (typeName == "DIR") return "-d";
  if (typeName == "FILE") return "-f";
  return "";
}

void WriteBashCompletion(const CLI::App& app, std::ostream& out) {
  std::string commands;
  for (const CLI::App* command : Commands(app)) commands += command->get_name() + " ";
  out << "# bash completion for vemo " VEMOSUPPORT_VERSION ", made by `vemo --generate completion-bash`.\n"
      << "_vemo() {\n"
      << "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= word\n"
      << "  for word in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
      << "    case $word in -*) ;; *) command=$word; break ;; esac\n"
      << "  done\n"
      << "  local options files=\n"
      << "  case $command in\n"
      << "    '')\n"
      << "      COMPREPLY=($(compgen -W '" << commands;
  for (const CLI::Option* option : Named(app)) out << Spellings(*option) << " ";
  out << "' -- \"$cur\"))\n"
      << "      return ;;\n";
  for (const CLI::App* command : Commands(app)) {
    out << "    " << command->get_name() << ")\n"
        << "      options='";
    for (const CLI::Option* option : Named(*command)) out << Spellings(*option) << " ";
    out << "'\n";
    // A value an option takes: folders or files, as its type says.
    for (const CLI::Option* option : Named(*command)) {
      if (IsFlag(*option)) continue;
      const std::string values = ValueCompletion(option->get_type_name());
      out << "      case $prev in " << Spellings(*option, "|") << ") COMPREPLY=("
          << (values.empty() ? "" : "$(compgen " + values + " -- \"$cur\")") << "); return ;; esac\n";
    }
    for (const CLI::Option* positional : Positionals(*command)) {
      if (positional->get_type_name() == "FILE") out << "      files=-f\n";
    }
    out << "      ;;\n";
  }
  out << "    *) return ;;\n"
      << "  esac\n"
      << "  if [[ $cur == -* || -z $files ]]; then\n"
      << "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
      << "  else\n"
      << "    COMPREPLY=($(compgen $files -- \"$cur\"))\n"
      << "  fi\n"
      << "}\n"
      << "complete -F _vemo -o filenames vemo\n";
}

// Text as man(7) markup: backslashes escaped, hyphens as minus signs (options are typed
// with them), and no line that starts as a request.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

void WriteOption(std::ostream& out, const CLI::Option& option) {
  if (IsFlag(option)) {
    out << ".TP\n.B \"" << Roff(Spellings(option)) << "\"\n";
  } else {
    out << ".TP\n.BI \"" << Roff(Spellings(option)) << " \" " << Roff(option.get_type_name()) << "\n";
  }
  out << Roff(option.get_description()) << "\n";
}

// The lines of `text` not written before: the commands' footers share their paragraphs
// on the catalogue folder and the exit codes, which the page says once.
std::string NewLines(const std::string& text, std::set<std::string>& written) {
  std::string lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && written.insert(line).second) lines += line + "\n";
  }
  return lines;
}

void WriteManPage(const CLI::App& app, std::ostream& out) {
  out << ".TH VEMO 1 \"\" \"vemo " VEMOSUPPORT_VERSION "\" \"User Commands\"\n"
      << ".SH NAME\nvemo \\- look LonWorks device types up in a catalogue and show offline virtual nodes\n"
      << ".SH SYNOPSIS\n.B vemo\n.I command\n.RI [ options ]\n.br\n.B vemo\n.RB [ \\-\\-help | \\-\\-version ]\n"
      << ".SH DESCRIPTION\n" << Roff(app.get_description()) << "\n"
      << ".SH OPTIONS\n";
  for (const CLI::Option* option : Named(app)) WriteOption(out, *option);
  out << ".SH COMMANDS\n";
  std::set<std::string> written;
  NewLines(app.get_footer(), written);
  for (const CLI::App* command : Commands(app)) {
    out << ".SS \"vemo " << Roff(command->get_name());
    for (const CLI::Option* positional : Positionals(*command)) {
      const std::string name = Roff(positional->get_name(true));
      out << (positional->get_required() ? " " : " [") << name
          << (positional->get_items_expected_max() > 1 ? "..." : "") << (positional->get_required() ? "" : "]");
    }
    out << " [options]\"\n" << Roff(command->get_description()) << ".\n";
    for (const CLI::Option* positional : Positionals(*command)) {
      out << ".TP\n.I " << Roff(positional->get_name(true)) << "\n" << Roff(positional->get_description()) << "\n";
    }
    for (const CLI::Option* option : Named(*command)) WriteOption(out, *option);
    const std::string footer = NewLines(command->get_footer(), written);
    if (!footer.empty()) out << ".PP\n" << Roff(footer);
  }
  out << ".SH EXIT STATUS\n" << Roff(app.get_footer()) << "\n"
      << ".SH ENVIRONMENT\n"
      << ".TP\n.B VEMO_CONFIG_PATH\nThe catalogue folder when no \\-\\-catalog is given.\n"
      << ".TP\n.B VEMO_DEFAULT_CATALOG_DIR\nThe default catalogue folder, instead of the installed sample catalogue.\n";
}

}  // namespace

int WriteDocument(const CLI::App& app, const std::string& kind, std::ostream& out) {
  if (kind == "completion-bash") {
    WriteBashCompletion(app, out);
  } else if (kind == "man") {
    WriteManPage(app, out);
  } else {
    std::cerr << "vemo: --generate makes completion-bash or man, not \"" << Printable(kind) << "\"\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace vemo::cli
