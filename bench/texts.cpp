#include "texts.h"

#include "recodo/recodo.h"

namespace bench {
namespace {

const std::vector<std::string>& Words(Script script) {
  static const std::vector<std::string> english = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog",
                                                   "and", "runs", "into", "a", "field", "of", "green", "grass,",
                                                   "while", "people", "watch.", "It", "was", "sunny", "today"};
  // Mostly ASCII, a Latin-1 accent every few words, and the Windows-1252
  // characters beyond Latin-1 that French text uses.
  static const std::vector<std::string> french = {"le", "garçon", "a", "déjà", "mangé", "son", "gâteau", "où",
                                                  "est", "l’élève", "de", "la", "classe", "à", "Noël,", "très",
                                                  "été", "cœur", "fenêtre", "naïve", "et", "la", "forêt.", "pour",
                                                  "12 €", "«", "bonjour", "»", "une", "œuvre", "que", "nous",
                                                  "avons", "vue", "dans", "le", "jardin", "public", "hier."};
  static const std::vector<std::string> russian = {"привет", "мир", "съешь", "же", "ещё", "этих", "мягких",
                                                   "французских", "булок,", "да", "выпей", "чаю.", "Быстрая",
                                                   "лиса", "прыгает", "через", "собаку"};
  static const std::vector<std::string> chinese = {"中文", "字符", "转换", "测试", "数据", "，", "我们", "今天",
                                                   "天气", "很好", "。", "程序", "文件", "编码", "世界"};
  // Emoji with skin tones, joiner sequences and variation selectors.
  static const std::vector<std::string> emoji = {"😀", "🎉", "👍🏽", "ok", "🚀", "🔥", "go", "✨", "😂", "🙏🏿",
                                                 "hi", "💯", "🌍", "👨‍👩‍👧", "❤️", "👩🏻‍💻", "🏳️‍🌈", "🤷‍♂️"};
  static const std::vector<std::string> japanese = {"日本語", "の", "文字", "コード", "変換", "を", "テスト",
                                                    "します", "。", "今日", "は", "天気", "が", "いい", "です",
                                                    "ね", "、", "ファイル", "プログラム", "世界"};
  static const std::vector<std::string> traditional = {"中文", "字元", "轉換", "測試", "資料", "，", "我們",
                                                       "今天", "天氣", "很好", "。", "程式", "檔案", "編碼", "世界"};
  static const std::vector<std::string> korean = {"한국어", "문자", "변환", "시험", "데이터", "오늘은", "날씨가",
                                                  "좋습니다.", "우리는", "프로그램", "파일", "세계"};
  switch (script) {
    case Script::Japanese: return japanese;
    case Script::Traditional: return traditional;
    case Script::Korean: return korean;
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
    case Script::Japanese: return "japanese";
    case Script::Traditional: return "traditional";
    case Script::Korean: return "korean";
  }
  return "?";
}

std::string MakeUtf8Text(Script script, std::size_t bytes) {
  const std::vector<std::string>& words = Words(script);
  const bool spaced = script != Script::Chinese && script != Script::Japanese && script != Script::Traditional;
  std::string text;
  std::size_t line = 0;
  std::uint32_t seed = 12345;
  while (true) {
    seed = seed * 1103515245u + 12345u;
    std::string piece = words[(seed >> 16) % words.size()];
    if (line > 70) {
      piece += "\r\n";
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

namespace {

std::vector<std::size_t> PieceEnds(std::size_t length, std::size_t pieces, std::size_t most,
                                   bool (*cuttable)(const void*, std::size_t), const void* text) {
  std::vector<std::size_t> ends;
  std::size_t at = 0;
  while (ends.size() < pieces && at < length) {
    std::size_t end = at + most < length ? at + most : length;
    while (end < length && end > at + 1 && !cuttable(text, end)) --end;
    ends.push_back(end);
    at = end;
  }
  return ends;
}

}  // namespace

std::vector<std::size_t> Utf8PieceEnds(const std::string& utf8, std::size_t pieces, std::size_t most) {
  return PieceEnds(utf8.size(), pieces, most,
                   [](const void* t, std::size_t at) {
                     return (static_cast<const std::string*>(t)->at(at) & 0xC0) != 0x80;
                   },
                   &utf8);
}

std::vector<std::size_t> Utf16PieceEnds(const std::vector<std::uint16_t>& units, std::size_t pieces,
                                        std::size_t most) {
  return PieceEnds(units.size(), pieces, most / 2,
                   [](const void* t, std::size_t at) {
                     return (static_cast<const std::vector<std::uint16_t>*>(t)->at(at) & 0xFC00) != 0xDC00;
                   },
                   &units);
}

std::vector<std::size_t> BytePieceEnds(std::size_t length, std::size_t pieces, std::size_t most) {
  return PieceEnds(length, pieces, most, [](const void*, std::size_t) { return true; }, nullptr);
}

}  // namespace bench
