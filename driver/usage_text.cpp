#include "usage_text.h"

#include "engine/engine.h"

namespace recodo {
namespace {

// %1 is the version, %2 the list of single-byte sets, %3 the sets added
// since.
constexpr const char16_t* kUsageLines[] = {
    u"Recodo \"%1\" - the recodo project, https://recodo.example/",
    u"",
    u"Usage: recodo <source file(s)> [flags]",
    u"",
    u"",
    u"Valid flags are:",
    u"",
    u"/scs=<charset>\tSpecify source character set. If not specified it tries to detect.",
    u"/dcs=<charset>\tSpecify destination character set. If not specified utf-8 is presumed.",
    u"/output=<file/dir>\tSpecify destination file name or directory. If file is not specified it will "
    u"automatically created.",
    u"/line=<type>\tLine break type which may be one of DOS, UNIX or MAC.",
    u"/nobom \t\tDo not write Byte Order Mark which will be written by default.",
    u"/nowait\t\tDo not display status Message Box after conversion in UI mode",
    u"/xml\t\tWill modify encoding string in xml header <?xml ...?>",
    u"/html\t\tWill modify \"content\" attribute value in meta header <meta http-equiv=\"Content-Type\" .../>",
    u"/replace\t\tSource file will be overwritten (in place conversion)",
    u"/move\t\tMoves the source file to destination. Source will be deleted after conversion.",
    u"/lossy\t\tWith /replace or /move, replace or delete the source even if characters could not be converted exactly.",
    u"/recursive\tUse recursive directory search in conjunction with wildcards as input.",
    u"/keep-tree\tWith /recursive and an /output= folder, mirror the source tree there.",
    u"/error-stop\tWill stop on conversion error (file/disk read/write, out of memory, ...)",
    u"/dialog\t\tOpen the conversion dialog with the source file as if picked (Windows)",
    u"/?\t\tThis help window.",
    u"",
    u"Extendes Flags",
    u"",
    u"/keep-owner\tWill keep file owner of source file",
    u"/keep-dacl\tWill keep file discretionary access control list of source file",
    u"/silent\t\tSilent mode. Do not display anything, do not create console, do not use console",
    u"/log=<file>\tLog messages in file",
    u"/loglevel=<level>\tLevel 1 will create more log messages for debugging purpose",
    u"/guess\t\tWithout /scs=, guess a legacy source's character set per file instead of taking Windows-1252",
    u"/guess-only\tConvert nothing; print each source file's character set, language and confidence",
    u"",
    u"Private Flags (no public support)",
    u"",
    u"/private.owner-from-prefix",
    u"/private.user-translation-table",
    u"",
    u"Example:",
    u"",
    u"recodo *.xml /scs=ansi /dcs=utf-16 /xml /output=c:\\converted /move",
    u"",
    u"Valid character sets are",
    u"",
    u"%2UTF-8, UTF-16, UTF-16BE",
    u"%3",
    u"",
    u"Exit codes are:",
    u"",
    u"0\t\tConversion was sucessfull",
    u"1\t\tConversion was not sucessfull (write error)",
    u"2\t\tSource file read error (file not found)",
    u"3\t\tInvalid argument: Source can not be a directory. Use wildcards like drive:\\dir\\*.txt instead!",
    u"4\t\tInvalid argument: Wildcards are not allowed here.",
    u"5\t\tInvalid argument: File as destination for multiple source files are not allowed!",
    u"6\t\tInvalid argument: Character set is unknown.",
    u"-1\t\tOut of memory",
};

}  // namespace

std::u16string PrimaryCharsetList() {
  std::u16string list;
  for (const engine::NamedSet& set : engine::SingleByteSets()) {
    list += set.name;
    list += u", ";
  }
  return list;
}

std::u16string AddedCharsetList() {
  std::u16string list;
  for (const engine::NamedSet& set : engine::AddedSets()) {
    if (!list.empty()) list += u", ";
    list += set.name;
  }
  return list;
}

std::u16string BuildBannerLine(const std::u16string& version) {
  std::u16string line(kUsageLines[0]);
  line.replace(line.find(u"%1"), 2, version);
  return line;
}

std::u16string BuildUsageText(const std::u16string& version) {
  const std::u16string charsets = PrimaryCharsetList();
  const std::u16string added = AddedCharsetList();
  std::u16string text;
  for (const char16_t* line : kUsageLines) {
    std::u16string s(line);
    if (const auto at = s.find(u"%1"); at != std::u16string::npos) s.replace(at, 2, version);
    if (const auto at = s.find(u"%2"); at != std::u16string::npos) s.replace(at, 2, charsets);
    if (const auto at = s.find(u"%3"); at != std::u16string::npos) s.replace(at, 2, added);
    text += s;
    text += u"\r\n";
  }
  return text;
}

}  // namespace recodo
