#!/usr/bin/env python3
# Checks YAML or JSON files against JSON schemas (draft 7), and the package manifests' hashes:
#   check_schemas.py [--files DIR] SCHEMA FILE [SCHEMA FILE...]
# With --files, every download a file names (InstallerUrl with InstallerSha256, url with hash)
# must be in DIR, under the last part of its address, with that sha256. YAML 1.1 reads an
# unquoted on/off/yes/no as a boolean: quote such keys (a workflow's "on").
"""usage: check_schemas.py [--files DIR] SCHEMA FILE [SCHEMA FILE...]"""
import hashlib
import json
import pathlib
import sys

import jsonschema
import yaml


def downloads(node):
    # (address, sha256) of each download the document names.
    if isinstance(node, dict):
        for url, digest in (("InstallerUrl", "InstallerSha256"), ("url", "hash")):
            if url in node:
                yield node[url], node.get(digest)
        for value in node.values():
            yield from downloads(value)
    elif isinstance(node, list):
        for value in node:
            yield from downloads(value)


def main(args):
    files_dir = None
    if args[:1] == ["--files"]:
        files_dir, args = args[1], args[2:]
    if not args or len(args) % 2:
        sys.exit(__doc__)
    errors = []
    for schema_path, path in zip(args[::2], args[1::2]):
        with open(schema_path, encoding="utf-8") as f:
            schema = json.load(f)
        with open(path, encoding="utf-8-sig") as f:
            document = yaml.safe_load(f)
        for error in jsonschema.Draft7Validator(schema).iter_errors(document):
            where = "/".join(str(p) for p in error.absolute_path)
            errors.append(f"{path}: {where}: {error.message[:300]}")
        for url, digest in downloads(document) if files_dir else ():
            file = pathlib.Path(files_dir, url.rsplit("/", 1)[-1])
            actual = hashlib.sha256(file.read_bytes()).hexdigest() if file.is_file() else "none"
            if str(digest).lower() != actual:
                errors.append(f"{path}: {url}: hash {digest}, {file}'s is {actual}")
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
