#!/usr/bin/env python3
"""Draws the program icon: a ledger page with a telephone receiver.

Writes appicon.svg and renders the 48 and 256 pixel PNG files from it with
rsvg-convert (package librsvg2-bin). Run once from this folder after
changing the drawing; all three files are kept in the repository so the
build needs no drawing tool.
"""
import subprocess

BLUE_LIGHT = "#2f7fd8"
BLUE_DARK = "#1b5aa8"
ORANGE = "#e67e22"
LINE = "#9db4d0"
ACCENT = "#cc3333"


def receiver(colour, extra):
    # The receiver of the action icons (32 unit grid): a curved grip with the
    # ear piece at the top left and the mouth piece at the bottom right.
    width = 4.5 + extra
    piece = 6.5 + extra
    return (
        f'<g fill="none" stroke="{colour}" stroke-linecap="round">'
        f'<path d="M 19 20.25 A 12.25 12.25 0 0 1 6.75 8" stroke-width="{width}"/>'
        f'<path d="M 6.75 3.5 V 10" stroke-width="{piece}"/>'
        f'<path d="M 16 20.25 H 22" stroke-width="{piece}"/>'
        "</g>"
    )


def svg():
    lines = []
    for i, y in enumerate((88, 114, 140, 166)):
        colour = ACCENT if i == 0 else LINE
        lines.append(f'<path d="M 124 {y} H 188" stroke="{colour}" stroke-width="10" '
                     'stroke-linecap="round"/>')
    return "\n".join([
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        "<defs>",
        '<linearGradient id="back" x1="0" y1="0" x2="0" y2="1">',
        f'<stop offset="0" stop-color="{BLUE_LIGHT}"/>',
        f'<stop offset="1" stop-color="{BLUE_DARK}"/>',
        "</linearGradient>",
        "</defs>",
        '<rect x="16" y="16" width="224" height="224" rx="48" fill="url(#back)"/>',
        '<rect x="100" y="52" width="112" height="152" rx="12" fill="#ffffff"/>',
        *lines,
        '<g transform="translate(32 100) scale(4.2)">',
        receiver("#ffffff", 2.4),
        receiver(ORANGE, 0),
        "</g>",
        "</svg>",
        "",
    ])


if __name__ == "__main__":
    with open("appicon.svg", "w", encoding="utf-8") as out:
        out.write(svg())
    print("wrote appicon.svg")
    for size in (48, 256):
        name = f"appicon-{size}.png"
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", name,
                        "appicon.svg"], check=True)
        print("wrote", name)
