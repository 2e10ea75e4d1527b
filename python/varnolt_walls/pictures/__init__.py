"""Pictures of the walls: matplotlib figures, the interactive Bokeh page, the K3 pictures, and files
replaced whole."""
