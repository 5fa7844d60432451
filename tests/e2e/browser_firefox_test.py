#!/usr/bin/env python3
"""Typing into a real Firefox (see browser_typing.py). Run by run-in-x.sh."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_typing import main  # noqa: E402

if __name__ == "__main__":
    main("firefox")
