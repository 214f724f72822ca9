#include "texts.h"

#include "recodo/recodo.h"

namespace bench {
namespace {

const std::vector<std::string>& Words(Script script) {
  static const std::vector<std::string> english = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog",
                                                   "and", "runs", "into", "a", "field", "of", "green", "grass,",
                                                   "while", "people", "watch.", "It", "was", "sunny", "today"};
  static const std::vector<std::string> french = {"le", "garçon", "a", "déjà", "mangé", "son", "gâteau", "où",
                                                  "est", "l'élève", "français", "à", "Noël,", "très", "été",
                                                  "cœur", "fenêtre", "naïve", "et", "la", "forêt."};
  static const std::vector<std::string> russian = {"привет", "мир", "съешь", "же", "ещё", "этих", "мягких",
                                                   "французских", "булок,", "да", "выпей", "чаю.", "Быстрая",
                                                   "лиса", "прыгает", "через", "собаку"};
  static const std::vector<std::string> chinese = {"中文", "字符", "转换", "测试", "数据", "，", "我们", "今天",
                                                   "天气", "很好", "。", "程序", "文件", "编码", "世界"};
  static const std::vector<std::string> emoji = {"😀", "🎉", "👍", "ok", "🚀", "🔥", "go", "✨", "😂", "🙏",
                                                 "hi", "💯", "🌍"};
  switch (script) {
    case Script::English: return english;
    case Script::French: return french;
    case Script::Russian: return russian;
    case Script::Chinese: return chinese;
    case Script::Emoji: return emoji;
  }
  return english;
}

}  // namespace

const char* ScriptName(Script script) {
  switch (script) {
    case Script::English: return "english";
    case Script::French: return "french";
    case Script::Russian: return "russian";
    case Script::Chinese: return "chinese";
    case Script::Emoji: return "emoji";
  }
  return "?";
}

std::string MakeUtf8Text(Script script, std::size_t bytes) {
  const std::vector<std::string>& words = Words(script);
  const bool spaced = script != Script::Chinese;
  std::string text;
  std::size_t line = 0;
  std::uint32_t seed = 12345;
  while (true) {
    seed = seed * 1103515245u + 12345u;
    std::string piece = words[(seed >> 16) % words.size()];
    if (line > 70) {
      piece += "\n";
      line = 0;
    } else if (spaced) {
      piece += " ";
    }
    if (text.size() + piece.size() > bytes) break;
    text += piece;
    line += piece.size();
  }
  return text;
}

std::vector<std::uint16_t> ToUtf16(const std::string& utf8) {
  const auto* src = reinterpret_cast<const std::uint8_t*>(utf8.data());
  std::uint32_t length = 0;
  ConvertUtf8ToDoubleByte(src, static_cast<std::uint32_t>(utf8.size()), nullptr, &length);
  std::vector<std::uint16_t> out(length / 2);
  ConvertUtf8ToDoubleByte(src, static_cast<std::uint32_t>(utf8.size()), out.data(), &length);
  out.resize(length / 2);
  return out;
}

}  // namespace bench
