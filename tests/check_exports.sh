#!/bin/sh
# librecodo.so must export the eleven engine functions and nothing else.
set -eu
lib=$1
expected='ConvertDoubleByteToMultiByte
ConvertDoubleByteToSingleByte
ConvertDoubleByteToUtf8
ConvertMultiByteToDoubleByte
ConvertSingleByteToDoubleByte
ConvertUtf8ToDoubleByte
DetectCharacterSet
DetectCharacterSetByFile
GuessCharacterSet
TransformEndianess
TransformNewLineCharacter'
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sed 's/@.*//' | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ:"
  printf '%s\n' "$actual"
  exit 1
fi
echo "librecodo exports exactly the eleven functions"
