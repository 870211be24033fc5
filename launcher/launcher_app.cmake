# The launcher executable and its resources.
