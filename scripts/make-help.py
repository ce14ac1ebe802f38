#!/usr/bin/env python3
"""Makes the help pages of install/AJUDA from the texts in help/.

Each help/<TOPIC>.txt (UTF-8) becomes AJUDA/<TOPIC>.HLP, one line of the
text per 80-byte record in code page 850, and AJUDA/<TOPIC>.HTM for the
Windows help program. In the texts, {h}, {u} and {r} switch highlighted,
marked and reverse text on and off. Run it after editing a text.
"""
import html
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
MARKUP = {"{h}": b"\x1e", "{u}": b"\x1f", "{r}": b"\x10"}
HTML_TAGS = {"{h}": "b", "{u}": "mark", "{r}": "em"}
WIDTH, VISIBLE = 80, 76


def record(line: str) -> bytes:
    out = b""
    for part in re.split(r"(\{[hur]\})", line):
        out += MARKUP.get(part) or part.replace("€", "\xd5").encode("cp850")
    visible = len(re.sub(r"\{[hur]\}", "", line))
    if visible > VISIBLE:
        raise SystemExit(f"line longer than {VISIBLE} characters: {line!r}")
    if len(out) > WIDTH:
        raise SystemExit(f"line with too much markup for one record: {line!r}")
    return out.ljust(WIDTH, b" ")


def html_line(line: str) -> str:
    open_tags = set()
    out = ""
    for part in re.split(r"(\{[hur]\})", line):
        if part in HTML_TAGS:
            tag = HTML_TAGS[part]
            out += f"</{tag}>" if tag in open_tags else f"<{tag}>"
            open_tags ^= {tag}
        else:
            out += html.escape(part)
    return out


def main() -> None:
    target = ROOT / "install" / "AJUDA"
    target.mkdir(parents=True, exist_ok=True)
    for source in sorted((ROOT / "help").glob("*.txt")):
        lines = source.read_text(encoding="utf-8").rstrip("\n").split("\n")
        (target / (source.stem + ".HLP")).write_bytes(b"".join(record(l) for l in lines))
        body = "\r\n".join(html_line(l) for l in lines)
        page = ('<!DOCTYPE html>\r\n<html lang="ca"><head><meta charset="utf-8">'
                f"<title>{source.stem}</title></head>\r\n<body><pre>\r\n{body}\r\n</pre></body></html>\r\n")
        (target / (source.stem + ".HTM")).write_bytes(page.encode("utf-8"))


if __name__ == "__main__":
    main()
