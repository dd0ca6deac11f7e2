"""Reads a deployment file (deploy/*.ini) the same way the build does."""
import configparser
from pathlib import Path
from urllib.parse import urlsplit


def read_deployment(path: Path) -> configparser.ConfigParser:
    parser = configparser.ConfigParser(inline_comment_prefixes=(";",))
    parser.read(path, encoding="utf-8")
    return parser


def port_of(url_or_host: str) -> int:
    if "://" not in url_or_host:
        url_or_host = "http://" + url_or_host
    return urlsplit(url_or_host).port or 80
