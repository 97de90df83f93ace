// The picture is drawn with the receive path.
