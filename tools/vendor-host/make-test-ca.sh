#!/bin/sh
# Makes the local test CA and a certificate for "localhost" signed by it:
#   OUTDIR/ca.pem      the CA certificate dev builds trust
#   OUTDIR/server.pem  the vendor host's certificate
#   OUTDIR/server.key  its private key
# The CA's own key is thrown away once the server certificate is signed, so
# nothing else can be issued under a CA that dev builds trust.
# Does nothing when the three files exist. Never commit the output.
set -eu

out=${1:?usage: make-test-ca.sh OUTDIR}
if [ -f "$out/ca.pem" ] && [ -f "$out/server.pem" ] && [ -f "$out/server.key" ]; then
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

rm -f "$tmp/ca.key" "$tmp/server.csr" "$tmp/server.ext"
chmod 600 "$tmp/server.key"
chmod 755 "$tmp"

# Several builds share one CA folder and may configure at once: the first
# complete set to arrive wins.
if ! mv -T "$tmp" "$out" 2>/dev/null; then
    if [ ! -f "$out/ca.pem" ] || [ ! -f "$out/server.pem" ] || [ ! -f "$out/server.key" ]; then
        echo "make-test-ca.sh: $out exists but is incomplete; remove it and run again" >&2
        exit 1
    fi
fi
trap - EXIT INT TERM
rm -rf "$tmp"
