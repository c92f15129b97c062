# Copies a text file with Windows line ends (CRLF), optionally after a UTF-8
# byte-order mark, so that Notepad on any Windows reads it right.
#   cmake -DIN=FILE -DOUT=FILE [-DBOM=ON] -P WindowsText.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(BOM)
  string(ASCII 239 187 191 bom)
  set(text "${bom}${text}")
endif()
file(WRITE "${OUT}" "${text}")
