"""The end-to-end scenarios of the Wine rig, one module each: SCANNER (the emulator's fields, or None),
optionally UNPLUGGED and SETTINGS_INI, and run(run, checks)."""
