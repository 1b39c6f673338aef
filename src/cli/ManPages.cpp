#include "cli/ManPages.h"

#include <sstream>

#include "cli/Hlmap.h"

namespace hl::cli {

namespace {

// Text as roff shows it literally: backslashes escaped, hyphens as minus signs (so that
// options can be searched and copied), no line taken for a request.
std::string Roff(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (char ch : text) {
    if (lineStart && (ch == '.' || ch == '\'')) out += "\\&";
    lineStart = ch == '\n';
    if (ch == '\\') {
      out += "\\e";
    } else if (ch == '-') {
      out += "\\-";
    } else {
      out += ch;
    }
  }
  return out;
}

// Help paragraphs keep their lines: the texts are laid out for a terminal already.
std::string Paragraphs(std::string_view text) {
  return ".nf\n" + Roff(text) + (text.ends_with('\n') ? "" : "\n") + ".fi\n";
}

std::string Header(std::string_view name, std::string_view version) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return ".TH " + Roff(upper) + " 1 \"\" \"Harbourlight " + std::string(version) +
         "\" \"User Commands\"\n";
}

// The help's first sentence, for the NAME line.
std::string Summary(std::string_view help) {
  std::string text(help);
  for (char& c : text)
    if (c == '\n') c = ' ';
  const auto end = text.find(". ");
  std::string first = end == std::string::npos ? text : text.substr(0, end);
  while (!first.empty() && (first.back() == '.' || first.back() == ' ')) first.pop_back();
  if (!first.empty() && first[0] >= 'A' && first[0] <= 'Z')
    first[0] = static_cast<char>(first[0] - 'A' + 'a');
  return first;
}

}  // namespace

std::string MainManPage(std::span<const Command> commands, std::string_view version) {
  std::string page = Header("hlmap", version);
  page +=
      ".SH NAME\nhlmap \\- Harbourlight maps, libraries and segment projects from the "
      "command line\n";
  page += ".SH SYNOPSIS\n.B hlmap\n.I COMMAND\nARGS...\n.br\n.B hlmap\n\\-\\-help\n";
  page += ".SH DESCRIPTION\n" + Paragraphs(GeneralHelpText());
  page += ".SH COMMANDS\n";
  for (const Command& c : commands) {
    page += ".TP\n" + Roff(c.Synopsis) + "\nSee\n.BR hlmap\\-" + Roff(c.Name) + " (1).\n";
  }
  return page;
}

std::string CommandManPage(const Command& command, std::string_view version) {
  const std::string name = "hlmap-" + std::string(command.Name);
  std::string page = Header(name, version);
  page += ".SH NAME\n" + Roff(name) + " \\- " + Roff(Summary(command.Help)) + "\n";
  page += ".SH SYNOPSIS\n" + Paragraphs(command.Synopsis);
  page += ".SH DESCRIPTION\n" + Paragraphs(command.Help);
  if (!command.Options.empty()) {
    page += ".SH OPTIONS\n";
    for (const Option& o : command.Options) {
      page += ".TP\n.B " + Roff(OptionWords(o)) + "\n" + Roff(o.Help) + "\n";
    }
    page += ".TP\n.B \\-\\-help\nprint the help and exit\n";
  }
  page += ".SH SEE ALSO\n.BR hlmap (1)\n";
  return page;
}

std::string BashCompletion(std::span<const Command> commands) {
  std::ostringstream s;
  s << "# bash completion for hlmap, made from its command table.\n"
       "_hlmap() {\n"
       "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
       "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
       "    COMPREPLY=($(compgen -W \"--help";
  for (const Command& c : commands) s << ' ' << c.Name;
  s << "\" -- \"$cur\"))\n"
       "    return\n"
       "  fi\n"
       "  local options=\"--help\"\n"
       "  case \"${COMP_WORDS[1]}\" in\n";
  for (const Command& c : commands) {
    s << "    " << c.Name << ")\n      options=\"--help";
    for (const Option& o : c.Options) s << ' ' << o.Name;
    s << "\"\n";
    bool any = false;
    for (const Option& o : c.Options) {
      if (o.Choices.empty()) continue;
      if (!any) s << "      case \"$prev\" in\n";
      any = true;
      s << "        " << o.Name << ") COMPREPLY=($(compgen -W \"";
      for (std::size_t i = 0; i < o.Choices.size(); ++i) s << (i ? " " : "") << o.Choices[i];
      s << "\" -- \"$cur\")); return ;;\n";
    }
    if (any) s << "      esac\n";
    s << "      ;;\n";
  }
  s << "  esac\n"
       "  if [[ \"$cur\" == -* ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
       "  else\n"
       "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
       "  fi\n"
       "}\n"
       "complete -o filenames -F _hlmap hlmap\n";
  return s.str();
}

}  // namespace hl::cli
