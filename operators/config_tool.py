"""Prepares documents the way the configuration service serves them, so a
channel operator can turn a plain XML configuration into a served body
without reading the installer's code.

  python3 -m operators.config_tool wrap CONFIG.xml [--key KEY.pem] > BODY
      Base64 of 128-byte blocks, each PKCS #1 v1.5 block type 1 (00 01 FF.. 00
      data, at most 117 data bytes) raised to the private exponent.
  python3 -m operators.config_tool mask DOCUMENT.xml > unioncfg.dat
      The ".tmp" container of the union and recommendation files: the magic,
      then every byte XOR 0x3E.
  python3 -m operators.config_tool fixtures DIR
      Writes the unwrapping test documents (good and damaged) into DIR.
"""
import argparse
import base64
import re
import subprocess
import sys
from pathlib import Path

DEFAULT_KEY = Path(__file__).resolve().parents[1] / "peers" / "keys" / "install_config_test_key.pem"
# Another key, for documents that look signed but are not the service's.
FORGED_KEY = Path(__file__).resolve().parents[1] / "peers" / "keys" / "forged_test_key.pem"
BLOCK = 128
DATA_PER_BLOCK = BLOCK - 11


def load_private_key(pem: Path = DEFAULT_KEY):
    """(modulus, public exponent, private exponent) of an RSA key file."""
    text = subprocess.run(["openssl", "rsa", "-in", str(pem), "-noout", "-text"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, check=True).stdout.decode()

    def number(label):
        match = re.search(label + r":\s*\n((?:\s+[0-9a-f:]+\n)+)", text)
        return int(re.sub(r"[\s:]", "", match.group(1)), 16)

    exponent = int(re.search(r"publicExponent: (\d+)", text).group(1))
    return number("modulus"), exponent, number("privateExponent")


def sign_block(data: bytes, key) -> bytes:
    modulus, _, private = key
    assert len(data) <= DATA_PER_BLOCK
    padded = b"\x00\x01" + b"\xff" * (BLOCK - 3 - len(data)) + b"\x00" + data
    return pow(int.from_bytes(padded, "big"), private, modulus).to_bytes(BLOCK, "big")


def wrap_blocks(text: bytes, key) -> bytes:
    return b"".join(sign_block(text[i:i + DATA_PER_BLOCK], key) for i in range(0, len(text), DATA_PER_BLOCK))


def wrap_configuration(text: bytes, key) -> str:
    return base64.b64encode(wrap_blocks(text, key)).decode()


FIXTURE_XML = (b'<root><check/><install><company id="1" version="1"><tryno id="3" version="2">'
               b'<dlfile url="http://127.0.0.1:18080/p.exe" md5="D41D8CD98F00B204E9800998ECF8427E"/>'
               b"</tryno></company></install><condition/></root>")


def fixtures(key) -> dict:
    """The unwrapping test documents, by file name."""
    good = wrap_blocks(FIXTURE_XML, key)
    blocks = [good[i:i + BLOCK] for i in range(0, len(good), BLOCK)]
    damaged = bytearray(blocks[1])
    damaged[5] ^= 0x01  # opens to garbage padding
    above = (key[0] + 1).to_bytes(BLOCK, "big")
    encoded = base64.b64encode(good).decode()
    return {
        "good.b64": encoded,
        "not-multiple-of-4.b64": encoded[:-1],
        "not-multiple-of-128.b64": base64.b64encode(good[:-1]).decode(),
        "bad-second-block.b64": base64.b64encode(blocks[0] + bytes(damaged) + b"".join(blocks[2:])).decode(),
        "above-modulus.b64": base64.b64encode(above + good).decode(),
        "with-nul.b64": wrap_configuration(b"<root/>\x00ignored after the terminator", key),
        "update-signed.b64": wrap_configuration(UPDATE_INI, key),
        "update-forged.b64": wrap_configuration(UPDATE_INI, load_private_key(FORGED_KEY)),
    }


UPDATE_INI = (b"[UiExe]\r\nurl=http://127.0.0.1:18080/update/newer.exe\r\n"
              b"md5=D41D8CD98F00B204E9800998ECF8427E\r\ndir=%TEMP%\\twupdate\r\nprobability=10000\r\n")

CONFIG_MASK = 0x3E


def mask_container(document: bytes) -> bytes:
    return b".tmp" + bytes(b ^ CONFIG_MASK for b in document)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    wrap = sub.add_parser("wrap")
    wrap.add_argument("config", type=Path)
    wrap.add_argument("--key", type=Path, default=DEFAULT_KEY)
    mask = sub.add_parser("mask")
    mask.add_argument("document", type=Path)
    fixture = sub.add_parser("fixtures")
    fixture.add_argument("directory", type=Path)
    options = parser.parse_args(argv)
    if options.command == "wrap":
        sys.stdout.write(wrap_configuration(options.config.read_bytes(), load_private_key(options.key)))
    elif options.command == "mask":
        sys.stdout.buffer.write(mask_container(options.document.read_bytes()))
    else:
        options.directory.mkdir(parents=True, exist_ok=True)
        for name, body in fixtures(load_private_key()).items():
            (options.directory / name).write_text(body)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
