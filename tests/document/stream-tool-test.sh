#!/bin/sh
# corvane-tool stream: build, dump and their failures, through the real program.
set -eu
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
export HOME="$dir" XDG_CONFIG_HOME="$dir" XDG_DATA_HOME="$dir"

cat > a.txt <<'TEXT'
object Root: TSample
  Width = 5
  Caption = 'It''s 写真'#13#10
  Items = <
    item
      ID = 'CD'
    end>
  object Kid: TTiny
  end
end
TEXT
"$tool" stream build a.txt a.bin
"$tool" stream dump a.bin > b.txt
cmp a.txt b.txt
"$tool" stream dump - < a.bin | cmp - a.txt
"$tool" stream build b.txt c.bin
cmp a.bin c.bin

"$tool" stream build --resource PaperExtraInfo a.txt r.bin
test "$("$tool" stream dump r.bin | head -n 1)" = "resource PAPEREXTRAINFO"
"$tool" stream build --list a.txt l.bin
test "$("$tool" stream dump l.bin | head -n 1)" = "list 1"

head -c 20 a.bin > cut.bin
if "$tool" stream dump cut.bin 2> err.txt; then exit 1; fi
grep -q "ストリームからの読み込みエラー" err.txt
printf 'object X\n  A 1\nend\n' > bad.txt
if "$tool" stream build bad.txt out.bin 2> err.txt; then exit 1; fi
grep -q "2 行目" err.txt
test ! -e out.bin
echo ok
