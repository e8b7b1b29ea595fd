#!/usr/bin/env bash
echo "not yet: the tray tool is being built"
