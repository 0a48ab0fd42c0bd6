# Writes the SHA-256 of IN to OUT as 64 lowercase hexadecimal characters, nothing else.
#   cmake -DIN=<archive> -DOUT=<digest file> -P PayloadDigest.cmake
file(SHA256 "${IN}" digest)
file(WRITE "${OUT}" "${digest}")
