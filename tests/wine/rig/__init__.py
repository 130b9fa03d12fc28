"""The Wine rig: runs the unchanged FWUpdate.exe under Wine against an emulated Kavrel Tessaline."""
