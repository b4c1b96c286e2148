#!/bin/sh
# Signs a Windows program (Authenticode, SHA-256) with a code-signing
# certificate of the local test CA folder (make-test-ca.sh):
#   codesign            the dev builds' publisher, under the trusted test CA
#   other-publisher     another publisher, under the trusted test CA
#   untrusted-codesign  the dev builds' publisher, under a CA trusted nowhere
# IN and OUT may be the same file.
# Usage: sign-with-test-ca.sh CA_DIR CERTIFICATE IN OUT
set -eu
usage="usage: sign-with-test-ca.sh CA_DIR CERTIFICATE IN OUT"
dir=${1:?$usage}
cert=${2:?$usage}
in=${3:?$usage}
out=${4:?$usage}
case "$cert" in
    codesign | other-publisher) ca="$dir/ca.pem" ;;
    untrusted-codesign) ca="$dir/untrusted-ca.pem" ;;
    *) echo "$usage" >&2; exit 2 ;;
esac
if [ ! -f "$dir/$cert.pem" ] || [ ! -f "$dir/$cert.key" ] || [ ! -f "$ca" ]; then
    echo "sign-with-test-ca.sh: $dir lacks $cert.pem, $cert.key or its CA; configuring the build makes them" >&2
    exit 1
fi
tmp=$(mktemp "$(dirname "$out")/.signing.XXXXXX")
trap 'rm -f "$tmp" "$tmp.chain"' EXIT INT TERM
# The signature carries the chain up to its root, so that a chain to a root
# nobody trusts fails as untrusted rather than as incomplete.
cat "$dir/$cert.pem" "$ca" > "$tmp.chain"
rm -f "$tmp"
osslsigncode sign -certs "$tmp.chain" -key "$dir/$cert.key" -h sha256 -in "$in" -out "$tmp" >/dev/null
# The signed copy keeps the program's mode (osslsigncode writes a plain file).
chmod --reference="$in" "$tmp"
mv -f "$tmp" "$out"
