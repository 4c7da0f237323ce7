"""`python -m vemosupport` and the `vemo` command of the pip package: both run the vemo
program that ships in the package, with the same arguments, and end as it ends."""

import os
import sys
from pathlib import Path


def main():
    """Replaces this process with the package's vemo program."""
    program = Path(__file__).resolve().parent / "bin" / "vemo"
    os.execv(program, ["vemo", *sys.argv[1:]])


if __name__ == "__main__":
    main()
