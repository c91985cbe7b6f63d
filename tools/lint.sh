#!/usr/bin/env bash
# make lint: shellcheck -x over every shell script of the repository (honouring .shellcheckrc),
# the CI workflow against SchemaStore's schema, and the winget and Scoop manifests of a stand-in
# release against theirs, with their hashes; those must fail once a wrong hash and a missing
# field are planted. Runs every check, then fails if any failed.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

mapfile -t scripts < <(git ls-files | while read -r file; do
    [[ -f $file ]] && { [[ $file == *.sh ]] || head -n 1 "$file" | grep -qaE '^#!.*[/ ](ba|da)?sh$'; } &&
        echo "$file"
done)
shellcheck "${scripts[@]}" || status=1
python3 tools/check_schemas.py packaging/schemas/github-workflow.json .github/workflows/ci.yml ||
    status=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(dpkg-parsechangelog -S Version)
echo zip >"$work/chronwick-$version-win64.zip"
echo setup >"$work/chronwick-$version-win64-setup.exe"
tools/release.sh manifests "$work"
tools/release.sh check "$work" || status=1
sed -i -E "s/(InstallerSha256: \")[0-9A-F]{64}/\1$(printf '%064d' 0)/" \
    "$work/Quillmark.Chronwick.installer.yaml"
sed -i '/"version"/d' "$work/chronwick.json"
if ! errors=$(tools/release.sh check "$work" 2>&1) &&
    [[ $errors == *"hash 0000"* && $errors == *"'version' is a required"* ]]; then
    echo "lint: the manifests pass their checks; a planted wrong hash and missing field fail them"
else
    echo "lint: the manifest check missed a planted wrong hash or missing field: $errors" >&2
    status=1
fi
exit "$status"
