#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode, SHA-256, by osslsigncode:
#   sign.sh FILE...
# CHRONWICK_SIGN_CERT            the certificate chain (PEM), the signing certificate first
# CHRONWICK_SIGN_KEY             its private key: a PEM file, or a PKCS#11 URI (pkcs11:...) with
# CHRONWICK_SIGN_PKCS11_MODULE   the token's PKCS#11 module (and libengine-pkcs11-openssl)
# CHRONWICK_TIMESTAMP_URL        an RFC 3161 time-stamping server, optional
# Fails, leaving the file as it was, when a signature cannot be made.
set -euo pipefail
: "${CHRONWICK_SIGN_CERT:?names no certificate}" "${CHRONWICK_SIGN_KEY:?names no key}"
options=(-certs "$CHRONWICK_SIGN_CERT" -key "$CHRONWICK_SIGN_KEY" -h sha256)
if [[ $CHRONWICK_SIGN_KEY == pkcs11:* ]]; then
    options+=(-pkcs11module "${CHRONWICK_SIGN_PKCS11_MODULE:?names no PKCS#11 module}")
fi
[ -z "${CHRONWICK_TIMESTAMP_URL:-}" ] || options+=(-ts "$CHRONWICK_TIMESTAMP_URL")
for file; do
    osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
done
