@echo off
rem Opens a help page of the suite in the default browser.
start "" "%~1"
