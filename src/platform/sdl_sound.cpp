// SDL2 sound output.
