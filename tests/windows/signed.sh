#!/usr/bin/env bash
# The downloads signed with a throwaway certificate authority, and their sums with a throwaway
# OpenPGP key, both made here:
#   signed.sh DIR PACKAGE...
# DIR holds the unsigned zip; PACKAGE... is package.sh's command without its OUT folder.
# osslsigncode verifies chronwick.exe, SDL.dll and the installer against the authority, and
# installer.sh the uninstaller that a silent install writes; the exe and the DLL without their
# signatures are the unsigned ones byte for byte; gpg verifies SHA256SUMS.asc (tools/release.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
unsigned=$(realpath "$1")
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/chronwick-signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj '/CN=Throwaway CA' 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj '/CN=Throwaway signer' \
    2>/dev/null
openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out sign.pem \
    -extfile <(printf 'keyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n') 2>/dev/null
CHRONWICK_SIGN_CERT=$work/sign.pem CHRONWICK_SIGN_KEY=$work/sign.key "$@" out >/dev/null

unzip -q out/*.zip -d signed
unzip -q "$unsigned"/*-win64.zip -d unsigned
for file in signed/*/chronwick.exe signed/*/SDL.dll out/*-setup.exe; do
    osslsigncode verify -CAfile ca.pem -in "$file" >/dev/null || fail "$file: no valid signature"
done
for file in chronwick.exe SDL.dll; do
    osslsigncode remove-signature -in signed/*/$file -out "bare-$file" >/dev/null
    cmp "bare-$file" unsigned/*/$file || fail "$file without its signature is not the unsigned one"
done
echo "ok: chronwick.exe, SDL.dll and the installer carry valid signatures"
CHRONWICK_VERIFY_CA=$work/ca.pem bash "$here/installer.sh" out/*-setup.exe

export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --quiet --passphrase '' --quick-gen-key 'Throwaway <throwaway@example.invalid>' \
    ed25519 sign 1d 2>/dev/null
CHRONWICK_GPG_KEY=throwaway@example.invalid "$here/../../tools/release.sh" sums "$work/out" \
    2>/dev/null
gpg --batch --verify out/SHA256SUMS.asc out/SHA256SUMS 2>/dev/null || fail "gpg --verify failed"
echo "ok: SHA256SUMS.asc verifies"
