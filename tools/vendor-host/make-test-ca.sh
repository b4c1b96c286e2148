#!/bin/sh
# Makes the local test CA and what it issues:
#   OUTDIR/ca.pem        the CA certificate dev builds trust
#   OUTDIR/server.pem    the vendor host's certificate for "localhost"
#   OUTDIR/server.key    its private key
#   OUTDIR/codesign.pem  a code-signing certificate for PUBLISHER, the dev
#   OUTDIR/codesign.key  builds' publisher, and its key: the build signs the
#                        Windows stand-in full installer with it
#   OUTDIR/publisher.txt PUBLISHER, as the certificate names it
# and, for the tests of the signature check, certificates that must fail it:
#   OUTDIR/other-publisher.pem/.key    code signing for another publisher
#   OUTDIR/untrusted-codesign.pem/.key code signing for PUBLISHER under
#                                      OUTDIR/untrusted-ca.pem, trusted nowhere
# The CAs' own keys are thrown away once these are issued, so nothing else can
# be issued under a CA that dev builds trust.
# Does nothing when all files exist for this PUBLISHER. Never commit the output.
set -eu

usage="usage: make-test-ca.sh OUTDIR PUBLISHER"
out=${1:?$usage}
publisher=${2:?$usage}
files="ca.pem server.pem server.key codesign.pem codesign.key publisher.txt other-publisher.pem other-publisher.key
untrusted-ca.pem untrusted-codesign.pem untrusted-codesign.key"
complete() {
    for f in $files; do
        [ -f "$1/$f" ] || return 1
    done
    [ "$(cat "$1/publisher.txt")" = "$publisher" ]
}
if complete "$out"; then
    exit 0
fi

parent=$(dirname "$out")
mkdir -p "$parent"
tmp=$(mktemp -d "$parent/.test-ca.XXXXXX")
trap 'rm -rf "$tmp"' EXIT INT TERM

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -keyout "$tmp/ca.key" -out "$tmp/ca.pem" -subj "/CN=Zelqa Local Test CA" \
    -addext "basicConstraints=critical,CA:TRUE,pathlen:0" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req -newkey rsa:2048 -nodes -sha256 \
    -keyout "$tmp/server.key" -out "$tmp/server.csr" -subj "/CN=localhost" 2>/dev/null

cat >"$tmp/server.ext" <<'EXT'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost
EXT

openssl x509 -req -sha256 -days 825 -in "$tmp/server.csr" \
    -CA "$tmp/ca.pem" -CAkey "$tmp/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
    -extfile "$tmp/server.ext" -out "$tmp/server.pem" 2>/dev/null

cat >"$tmp/codesign.ext" <<'EXT'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
EXT

# codesign NAME SUBJECT CA_PEM CA_KEY: a code-signing certificate NAME.pem
# with its key NAME.key.
codesign() {
    openssl req -newkey rsa:2048 -nodes -sha256 -utf8 \
        -keyout "$tmp/$1.key" -out "$tmp/$1.csr" -subj "$2" 2>/dev/null
    openssl x509 -req -sha256 -days 825 -in "$tmp/$1.csr" \
        -CA "$3" -CAkey "$4" -set_serial "0x$(openssl rand -hex 8)" \
        -extfile "$tmp/codesign.ext" -out "$tmp/$1.pem" 2>/dev/null
    rm -f "$tmp/$1.csr"
    chmod 600 "$tmp/$1.key"
}
codesign codesign "/CN=$publisher" "$tmp/ca.pem" "$tmp/ca.key"
codesign other-publisher "/CN=Zelqa Other Publisher" "$tmp/ca.pem" "$tmp/ca.key"
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -keyout "$tmp/untrusted-ca.key" -out "$tmp/untrusted-ca.pem" -subj "/CN=Zelqa Untrusted Test CA" \
    -addext "basicConstraints=critical,CA:TRUE,pathlen:0" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
codesign untrusted-codesign "/CN=$publisher" "$tmp/untrusted-ca.pem" "$tmp/untrusted-ca.key"
printf '%s' "$publisher" > "$tmp/publisher.txt"

rm -f "$tmp/ca.key" "$tmp/untrusted-ca.key" "$tmp/server.csr" "$tmp/server.ext" "$tmp/codesign.ext"
chmod 600 "$tmp/server.key"
chmod 755 "$tmp"

# Several builds share one CA folder and may configure at once: the first
# complete set to arrive wins. A set from before (fewer files, another
# publisher) is replaced whole.
if [ -e "$out" ] && ! complete "$out"; then
    old=$(mktemp -d "$parent/.test-ca-old.XXXXXX")
    mv -T "$out" "$old/set" 2>/dev/null || true
    rm -rf "$old"
fi
if ! mv -T "$tmp" "$out" 2>/dev/null; then
    if ! complete "$out"; then
        echo "make-test-ca.sh: $out exists but is incomplete; remove it and run again" >&2
        exit 1
    fi
fi
trap - EXIT INT TERM
rm -rf "$tmp"
