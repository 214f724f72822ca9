#!/usr/bin/env bash
# Whole-file conversion times of the recodo command against glibc iconv,
# ICU uconv and a plain dd copy, as a Markdown table.
#
# Usage: bench/convert_bench.sh [size_MiB=256] [repetitions=3]
#   BENCH_DIR  work directory, inputs are cached there (default /tmp/recodo-bench)
#   RECODO     recodo binary (default build/native/bin/recodo in the repository)
#   RECODO_BEFORE  an earlier recodo binary, run beside it as "before"
set -euo pipefail

size_mib=${1:-256}
reps=${2:-3}
if ! [[ $size_mib =~ ^[1-9][0-9]*$ && $reps =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [size_MiB=256] [repetitions=3]" >&2
  exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BENCH_DIR:-/tmp/recodo-bench}
recodo=${RECODO:-$root/build/native/bin/recodo}
# Relative overrides mean relative to where the caller stands, and we cd away.
[[ $recodo = /* ]] || recodo=$PWD/$recodo
before=${RECODO_BEFORE:-}
[[ -z $before || $before = /* ]] || before=$PWD/$before

for tool in python3 iconv uconv dd; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (uconv is in icu-devtools)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "missing: /usr/bin/time (package time)" >&2; exit 2; }

mkdir -p "$work/out" "$work/logs"
work=$(cd "$work" && pwd)
# recodo splits its command line on spaces and takes items starting with "/"
# as flags, so every job runs inside the work dir on plain relative names.
cd "$work"

# Inputs. The version in the name invalidates the cache when the generator changes.
base=input-${size_mib}MiB-v2
in_1252=$base.cp1252.txt
in_u8=$base.utf-8.txt
in_u16=$base.utf-16le.txt
bytes=$((size_mib * 1048576))

if [ ! -f "$in_1252" ] || [ "$(stat -c %s "$in_1252")" -ne "$bytes" ]; then
  echo "generating $work/$in_1252 ..."
  rm -f "$in_u8" "$in_u16"
  # Written under a temporary name so an interrupted run leaves no bad cache.
  python3 - "$in_1252.tmp" "$bytes" <<'PY'
import random
import sys

path, target = sys.argv[1], int(sys.argv[2])
rnd = random.Random(1252)  # same bytes on every machine

words = {
    "fr": ("le la les une des été très déjà où château forêt garçon français "
           "élève fenêtre hôpital île mère père frère sœur cœur œuvre naïve "
           "Noël côte août théâtre préféré bientôt voilà ça reçu leçon "
           "deuxième cinquième écrire étudiant réunion année journée soirée "
           "marché épicerie boulangerie pâtisserie crème brûlée café"),
    "de": ("der die das und für über Straße größer schön Mädchen Bäcker "
           "Käse Brötchen Frühstück Grüße müssen können wäre Häuser Bücher "
           "Türen Übung Öffnung ändern Schlüssel Fußball Gemüse heißt "
           "draußen Äpfel Tür Kühlschrank Gebäude Märchen natürlich"),
    "es": ("el la los niño niña señor señora mañana año España pequeño "
           "canción corazón información estación después también allí "
           "árbol lápiz música teléfono rápido fácil difícil único "
           "último jardín cumpleaños compañía pingüino vergüenza"),
    "pt": ("não são pão mãe irmão coração informação avó avô você está "
           "também já lá órgão câmara açúcar maçã cidadão lição "
           "português médico sábado saúde família música"),
    "it": ("perché città più già così università caffè però virtù "
           "libertà è lunedì martedì venerdì qualità metà papà "
           "ristorante stazione biblioteca famiglia amicizia"),
    "nord": ("på så år även mål människa sjö kött bröd färg hälsning "
             "øl smørrebrød rødgrød blåbær kærlighed Ålesund fjørd "
             "Ísland þorp ðe kaffi hús"),
}
common = ("and the of in to with Paris Zürich München Genève Málaga Kraków "
          "Sevilla Malmö Århus Reykjavík 2024 10 15 42 99").split()
# Characters only Windows-1252 has in 0x80-0x9F, so decoders meet them too.
extras = ["€", "–", "—", "…", "‰", "™", "•", "Œ", "Š", "ž", "Ÿ", "ƒ", "†", "‡"]
quotes = [("“", "”"), ("‘", "’"), ("«\u00a0", "\u00a0»"), ("„", "“"), ('"', '"')]
# The frequent, mostly unaccented words, so accents are as rare as in real text.
plain = {
    "fr": ("de la le et les des en un une que pour dans sur avec pas plus par "
           "nous vous ils elle mais comme tout faire temps jour ville maison "
           "matin soir route livre table porte chemin ami amis"),
    "de": ("der die das und ist nicht mit sich auf den dem ein eine auch "
           "nach wird bei noch wie aber nur vor zum zur Stadt Haus Zeit "
           "Morgen Abend Weg Buch Freund gut alt neu"),
    "es": ("de la que el en y los del se las por un para con una su al "
           "lo como pero sus le ya o este casa tiempo ciudad libro amigo"),
    "pt": ("de a o que e do da em um para com uma os no se na por mais "
           "as dos como mas ao ele das tempo casa cidade livro amigo"),
    "it": ("di e il la che in un per non una sono con del della si le "
           "da al come ma anche casa tempo giorno libro amico strada"),
    "nord": ("och i att det som en av den med har till inte om ett han "
             "og er til for med som jeg han hun dag tid hus"),
}
vocab = {k: v.split() for k, v in words.items()}
plain = {k: v.split() for k, v in plain.items()}

def word(lang):
    r = rnd.random()
    if r < 0.72:
        return rnd.choice(plain[lang])
    if r < 0.92:
        return rnd.choice(vocab[lang])
    return rnd.choice(common)

def sentence(lang):
    ws = [word(lang) for _ in range(rnd.randint(5, 16))]
    if rnd.random() < 0.2:
        i = rnd.randrange(len(ws))
        ws[i] = rnd.choice(["%d,%02d €" % (rnd.randint(1, 999), rnd.randint(0, 99)),
                            rnd.choice(extras)])
    if rnd.random() < 0.2:
        a, b = rnd.choice(quotes)
        i = rnd.randrange(len(ws))
        j = min(len(ws), i + rnd.randint(1, 4))
        ws[i:j] = [a + " ".join(ws[i:j]) + b]
    s = " ".join(ws)
    first = s[0].upper()
    try:
        first.encode("cp1252")
    except UnicodeEncodeError:  # e.g. ƒ, whose capital is outside the set
        first = s[0]
    return first + s[1:] + rnd.choice([".", ".", ".", "!", "?", " …", ";"])

def paragraph():
    lang = rnd.choice(list(vocab))
    text = " ".join(sentence(lang) for _ in range(rnd.randint(3, 9)))
    width = rnd.randint(60, 100)
    lines, line = [], ""
    for w in text.split(" "):
        if line and len(line) + 1 + len(w) > width:
            lines.append(line)
            line = w
        else:
            line = line + " " + w if line else w
    lines.append(line)
    return ("\n".join(lines) + "\n\n").encode("cp1252")

pool = [paragraph() for _ in range(5000)]
written = 0
with open(path, "wb") as f:
    while written < target:
        chunk = b"".join(rnd.choices(pool, k=8000))[: target - written]
        if written + len(chunk) == target:
            chunk = chunk[:-1] + b"\n"  # a cut mid-line still ends the file with LF
        f.write(chunk)
        written += len(chunk)
PY
  mv "$in_1252.tmp" "$in_1252"
fi
# Derived inputs, made once by iconv; not part of any timing.
if [ ! -f "$in_u8" ]; then
  iconv -f WINDOWS-1252 -t UTF-8 "$in_1252" >"$in_u8.tmp" && mv "$in_u8.tmp" "$in_u8"
fi
if [ ! -f "$in_u16" ]; then
  iconv -f WINDOWS-1252 -t UTF-16LE "$in_1252" >"$in_u16.tmp" && mv "$in_u16.tmp" "$in_u16"
fi

# Japanese in Shift_JIS and Simplified Chinese in UTF-8, of the same size.
in_sjis=input-${size_mib}MiB-v1.shift_jis.txt
in_zh=input-${size_mib}MiB-v1.zh.utf-8.txt
if [ ! -f "$in_sjis" ] || [ ! -f "$in_zh" ]; then
  python3 - "$in_sjis.tmp" "$in_zh.tmp" "$bytes" <<'PY'
import random
import sys

sjis, zh, target = sys.argv[1], sys.argv[2], int(sys.argv[3])
rnd = random.Random(932)
texts = {
    "cp932": ("日本語 の 文字 コード を 変換 する プログラム です 。 今日 は 天気 が いい ので 散歩 に 行き ました 、 "
              "東京 大阪 ファイル データ テスト 漢字 ひらがな カタカナ 新しい 古い 会社 学校 先生 学生 2024年 10月").split(),
    "utf-8": ("中文 字符 转换 测试 数据 ， 我们 今天 天气 很好 。 程序 文件 编码 世界 北京 上海 学校 老师 学生 公司 "
              "新的 旧的 电脑 网络 2024年 10月").split(),
}
for path, codec in ((sjis, "cp932"), (zh, "utf-8")):
    words = texts[codec]
    out, size = [], 0
    while size < target:
        line = "".join(rnd.choice(words) for _ in range(rnd.randint(8, 30))) + "\n"
        data = line.encode(codec)
        out.append(data)
        size += len(data)
    blob = b"".join(out)
    # Cut at the last line break, so that no character is cut.
    blob = blob[: blob.rfind(b"\n", 0, target) + 1]
    open(path, "wb").write(blob)
PY
  mv "$in_sjis.tmp" "$in_sjis"
  mv "$in_zh.tmp" "$in_zh"
fi

# An HTML page of up to 64 MiB made from the same text, its meta tag at the top.
html_mib=$((size_mib < 64 ? size_mib : 64))
in_html=input-${html_mib}MiB-v1.html
if [ ! -f "$in_html" ]; then
  python3 - "$in_1252" "$in_html.tmp" "$((html_mib * 1048576))" <<'PY'
import sys

source, path, target = sys.argv[1], sys.argv[2], int(sys.argv[3])
head = (b'<!DOCTYPE html>\n<html><head><meta http-equiv="Content-Type" '
        b'content="text/html; charset=windows-1252">\n<title>Texte</title></head>\n<body>\n')
tail = b"</body></html>\n"
out = bytearray(head)
with open(source, "rb") as f:
    text = f.read(target)
for n, para in enumerate(text.split(b"\n\n")):
    piece = b'<p class="text" id="p%d">' % n + para + b"</p>\n"
    if len(out) + len(piece) + len(tail) > target:
        break
    out += piece
out += tail
open(path, "wb").write(out)
PY
  mv "$in_html.tmp" "$in_html"
fi

if [ ! -x "$recodo" ]; then
  echo "no recodo binary at $recodo; build it (cmake --preset native && cmake --build --preset native) or set RECODO" >&2
  exit 2
fi

# Job ids are <conversion>:<tool>; the order is also the interleaving order.
peers=(iconv uconv)
[ -n "$before" ] && peers+=(before)
jobs=()
for conv in c2u8 u8u16 u16u8 u8c2 u8u8 sjisu8 u8gbk; do
  jobs+=("$conv:recodo")
  for peer in "${peers[@]}"; do jobs+=("$conv:$peer"); done
done
jobs+=(c2u8dos:recodo
      htmlplain:recodo html:recodo htmlboth:recodo
      copy1252:dd copyu8:dd copyu16:dd copyhtml:dd copysjis:dd copyzh:dd)

out_of() { echo "out/${1/:/-}.out"; }

# Sets cmd (argv) and to_stdout (1 when the tool writes its result to stdout).
job_cmd() {
  local job=$1 out=$2 recodo=$recodo
  to_stdout=1
  # The earlier binary runs the very same command.
  if [[ $job = *:before ]]; then
    recodo=$before
    job=${job%:before}:recodo
  fi
  case $job in
    c2u8:recodo)    to_stdout=0; cmd=("$recodo" "$in_1252" /scs=Windows-1252 /dcs=utf-8 /nobom "/output=$out") ;;
    c2u8:iconv)     cmd=(iconv -f WINDOWS-1252 -t UTF-8 "$in_1252") ;;
    c2u8:uconv)     cmd=(uconv -f windows-1252 -t utf-8 "$in_1252") ;;
    u8u16:recodo)   to_stdout=0; cmd=("$recodo" "$in_u8" /scs=utf-8 /dcs=utf-16 /nobom "/output=$out") ;;
    u8u16:iconv)    cmd=(iconv -f UTF-8 -t UTF-16LE "$in_u8") ;;
    u8u16:uconv)    cmd=(uconv -f utf-8 -t utf-16le "$in_u8") ;;
    u16u8:recodo)   to_stdout=0; cmd=("$recodo" "$in_u16" /scs=utf-16 /dcs=utf-8 /nobom "/output=$out") ;;
    u16u8:iconv)    cmd=(iconv -f UTF-16LE -t UTF-8 "$in_u16") ;;
    u16u8:uconv)    cmd=(uconv -f utf-16le -t utf-8 "$in_u16") ;;
    u8c2:recodo)    to_stdout=0; cmd=("$recodo" "$in_u8" /scs=utf-8 /dcs=Windows-1252 "/output=$out") ;;
    u8c2:iconv)     cmd=(iconv -f UTF-8 -t WINDOWS-1252 "$in_u8") ;;
    u8c2:uconv)     cmd=(uconv -f utf-8 -t windows-1252 "$in_u8") ;;
    u8u8:recodo)    to_stdout=0; cmd=("$recodo" "$in_u8" /scs=utf-8 /dcs=utf-8 /nobom "/output=$out") ;;
    u8u8:iconv)     cmd=(iconv -f UTF-8 -t UTF-8 "$in_u8") ;;
    u8u8:uconv)     cmd=(uconv -f utf-8 -t utf-8 "$in_u8") ;;
    sjisu8:recodo)  to_stdout=0; cmd=("$recodo" "$in_sjis" /scs=Shift_JIS /dcs=utf-8 /nobom "/output=$out") ;;
    sjisu8:iconv)   cmd=(iconv -f CP932 -t UTF-8 "$in_sjis") ;;
    sjisu8:uconv)   cmd=(uconv -f windows-31j -t utf-8 "$in_sjis") ;;
    u8gbk:recodo)   to_stdout=0; cmd=("$recodo" "$in_zh" /scs=utf-8 /dcs=GBK "/output=$out") ;;
    u8gbk:iconv)    cmd=(iconv -f UTF-8 -t CP936 "$in_zh") ;;
    u8gbk:uconv)    cmd=(uconv -f utf-8 -t windows-936-2000 "$in_zh") ;;
    copysjis:dd)    to_stdout=0; cmd=(dd "if=$in_sjis" "of=$out" bs=4M status=none) ;;
    copyzh:dd)      to_stdout=0; cmd=(dd "if=$in_zh" "of=$out" bs=4M status=none) ;;
    c2u8dos:recodo) to_stdout=0; cmd=("$recodo" "$in_1252" /scs=Windows-1252 /dcs=utf-8 /nobom /line=dos "/output=$out") ;;
    htmlplain:recodo) to_stdout=0; cmd=("$recodo" "$in_html" /scs=Windows-1252 /dcs=utf-8 /nobom "/output=$out") ;;
    html:recodo)    to_stdout=0; cmd=("$recodo" "$in_html" /scs=Windows-1252 /dcs=utf-8 /nobom /html "/output=$out") ;;
    htmlboth:recodo) to_stdout=0; cmd=("$recodo" "$in_html" /scs=Windows-1252 /dcs=utf-8 /nobom /xml /html "/output=$out") ;;
    copy1252:dd)    to_stdout=0; cmd=(dd "if=$in_1252" "of=$out" bs=4M status=none) ;;
    copyhtml:dd)    to_stdout=0; cmd=(dd "if=$in_html" "of=$out" bs=4M status=none) ;;
    copyu8:dd)      to_stdout=0; cmd=(dd "if=$in_u8" "of=$out" bs=4M status=none) ;;
    copyu16:dd)     to_stdout=0; cmd=(dd "if=$in_u16" "of=$out" bs=4M status=none) ;;
    *) echo "unknown job $job" >&2; exit 2 ;;
  esac
}

# run_job <job>: runs it once into its output file; sets secs and rss_kb.
run_job() {
  local job=$1 out t0 t1 log=logs/${1/:/-} status=0
  out=$(out_of "$job")
  rm -f "$out"
  job_cmd "$job" "$out"
  t0=${EPOCHREALTIME/[.,]/}
  if [ "$to_stdout" = 1 ]; then
    /usr/bin/time -f '%e %M' -o logs/time "${cmd[@]}" >"$out" 2>"$log.err" || status=$?
  else
    /usr/bin/time -f '%e %M' -o logs/time "${cmd[@]}" >"$log.out" 2>"$log.err" || status=$?
  fi
  t1=${EPOCHREALTIME/[.,]/}
  if [ "$status" != 0 ]; then
    echo "FAILED ($status): $job: ${cmd[*]}" >&2
    cat "$log.out" "$log.err" 2>/dev/null | head -20 >&2
    exit 1
  fi
  if [ ! -s "$out" ]; then
    echo "FAILED: $job wrote no output to $work/$out" >&2
    head -20 "$log.out" >&2 2>/dev/null || true
    exit 1
  fi
  # EPOCHREALTIME has microseconds; time's %e only hundredths.
  secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", (b - a) / 1e6 }')
  rss_kb=$(tail -1 logs/time | awk '{ print $2 }')
}

input_of() {
  case $1 in
    c2u8:* | c2u8dos:* | copy1252:*) echo "$in_1252" ;;
    u8u16:* | u8c2:* | u8u8:* | copyu8:*) echo "$in_u8" ;;
    u16u8:* | copyu16:*) echo "$in_u16" ;;
    html*:* | copyhtml:*) echo "$in_html" ;;
    sjisu8:* | copysjis:*) echo "$in_sjis" ;;
    u8gbk:* | copyzh:*) echo "$in_zh" ;;
  esac
}

echo "recodo: $recodo"
echo "inputs: $work/$base.* ($size_mib MiB Windows-1252; UTF-8 and UTF-16LE from it)"

# Warm-up: every job once, untimed, so all later runs read from the page cache.
# recodo's results are checked against iconv's on the way.
mismatch=0
for job in "${jobs[@]}"; do
  run_job "$job"
  case $job in
    c2u8:iconv | u8u16:iconv | u8c2:iconv | u8u8:iconv | sjisu8:iconv | u8gbk:iconv)
      conv=${job%%:*}
      if cmp -s "$(out_of "$conv:recodo")" "$(out_of "$job")"; then
        echo "check $conv: recodo and iconv outputs are byte-identical"
      else
        echo "check $conv: recodo and iconv outputs DIFFER: $(cmp "$(out_of "$conv:recodo")" "$(out_of "$job")" 2>&1 | head -1)" >&2
        mismatch=1
      fi
      rm -f "$(out_of "$conv:recodo")" "$(out_of "$job")" ;;
    c2u8:recodo | u8u16:recodo | u8c2:recodo | u8u8:recodo | sjisu8:recodo | u8gbk:recodo) ;;  # kept for the comparison with iconv
    *) rm -f "$(out_of "$job")" ;;
  esac
done
rm -f out/*.out

results=$work/logs/results.txt
: >"$results"
for ((r = 1; r <= reps; r++)); do
  echo "repetition $r/$reps ..."
  for job in "${jobs[@]}"; do
    run_job "$job"
    rm -f "$(out_of "$job")"
    in=$(input_of "$job")
    echo "$job $(stat -c %s "$in") $secs $rss_kb" >>"$results"
  done
done

echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores;" \
  "$size_mib MiB input, median of $reps runs after one warm-up run, outputs written to files."
echo
python3 - "$results" <<'PY'
import statistics
import sys
from collections import defaultdict

runs = defaultdict(list)
size, rss = {}, defaultdict(int)
for line in open(sys.argv[1]):
    job, nbytes, secs, kb = line.split()
    runs[job].append(float(secs))
    size[job] = int(nbytes)
    rss[job] = max(rss[job], int(kb))
med = {job: statistics.median(v) for job, v in runs.items()}

rows = [
    ("Windows-1252 → UTF-8", "c2u8", "copy1252"),
    ("UTF-8 → UTF-16LE", "u8u16", "copyu8"),
    ("UTF-16LE → UTF-8", "u16u8", "copyu16"),
    ("UTF-8 → Windows-1252", "u8c2", "copyu8"),
    ("UTF-8 → UTF-8", "u8u8", "copyu8"),
    ("Shift_JIS → UTF-8", "sjisu8", "copysjis"),
    ("UTF-8 → GBK", "u8gbk", "copyzh"),
    ("Windows-1252 → UTF-8, LF → CRLF", "c2u8dos", "copy1252"),
]
def ratio(a, b):
    return "%.2f" % (med[a] / med[b]) if a in med and b in med else "n/a"

print("| job | tool | median s | MB/s | peak MiB | time ÷ dd | × iconv | × uconv |")
print("|---|---|---:|---:|---:|---:|---:|---:|")
for label, conv, copy in rows:
    for tool in ("recodo", "before", "iconv", "uconv"):
        job = conv + ":" + tool
        if job not in med:
            continue
        mine = tool in ("recodo", "before")
        over_iconv = ratio(conv + ":iconv", job) if mine else ""
        over_uconv = ratio(conv + ":uconv", job) if mine else ""
        print("| %s | %s | %.3f | %.0f | %.1f | %s | %s | %s |" % (
            label, "recodo before" if tool == "before" else tool, med[job], size[job] / 1e6 / med[job],
            rss[job] / 1024, ratio(job, copy + ":dd"), over_iconv, over_uconv))
    job = copy + ":dd"
    print("| %s | dd copy of the input | %.3f | %.0f | %.1f | 1.00 | | |" % (
        label, med[job], size[job] / 1e6 / med[job], rss[job] / 1024))
print()
print("The HTML page (%.0f MiB, Windows-1252 → UTF-8), with and without the declaration rewrite:" % (
    size["htmlplain:recodo"] / 1048576))
print()
print("| job | median s | MB/s | peak MiB | time ÷ without |")
print("|---|---:|---:|---:|---:|")
for label, job in (("recodo, no rewrite", "htmlplain:recodo"), ("recodo /html", "html:recodo"),
                   ("recodo /xml /html (no XML declaration: scans the whole page)", "htmlboth:recodo"),
                   ("dd copy of the input", "copyhtml:dd")):
    print("| %s | %.3f | %.0f | %.1f | %s |" % (label, med[job], size[job] / 1e6 / med[job], rss[job] / 1024,
                                                 ratio(job, "htmlplain:recodo")))
print()
print("MB/s is input bytes (10^6) per second of wall time; peak MiB is the largest")
print("maximum resident set over the runs; recodo × iconv is iconv's time over recodo's.")
PY

echo
if [ "$mismatch" = 1 ]; then
  echo "FAILED: recodo's output differs from iconv's (see above)." >&2
  exit 1
fi
echo "recodo's outputs match iconv's byte for byte (Windows-1252 → UTF-8, UTF-8 → UTF-16LE, UTF-8 → Windows-1252, UTF-8 → UTF-8, Shift_JIS → UTF-8, UTF-8 → GBK)."
